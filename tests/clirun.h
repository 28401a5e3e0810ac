#pragma once
// Running a program from a test as a script would — the trevok-cli of the same build, or one of
// the independent readers — and reading what it wrote.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <string>

/// How a program ended and what it printed.
struct CliRun {
    int status = -1; // the exit status; -1 when it did not start, crashed or ran out of time
    std::string out;
    std::string err;
};

/// Runs a program to its end (two minutes at most: the sanitised build on a busy machine is slow).
inline CliRun runProgram(const QString& program, const QStringList& args,
                         const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(program, args);
    CliRun r;
    if (!p.waitForFinished(120000))
        return r;
    if (p.exitStatus() == QProcess::NormalExit)
        r.status = p.exitCode();
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

/// The trevok-cli beside the test programs (or in TREVOK_TEST_BINARY_DIR, which ctest sets).
inline QString cliProgram()
{
    QString dir = QString::fromLocal8Bit(qgetenv("TREVOK_TEST_BINARY_DIR"));
    if (dir.isEmpty())
        dir = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).dir().absolutePath() +
              QStringLiteral("/..");
    return dir + QStringLiteral("/trevok-cli");
}

/// Runs the command line tool of this build.
inline CliRun cli(const QStringList& args)
{
    return runProgram(cliProgram(), args);
}

/// The exit status of cli(args), for tests that look only at the files written.
inline int runCli(const QStringList& args)
{
    return cli(args).status;
}

/// The bytes of a file, empty when it cannot be read.
inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
