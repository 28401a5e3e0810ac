#pragma once
// Running the trevok-cli of the same build from a test, and reading what it wrote.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

/// The trevok-cli beside the test programs (or in TREVOK_TEST_BINARY_DIR).
inline QString cliProgram()
{
    QString dir = QString::fromLocal8Bit(qgetenv("TREVOK_TEST_BINARY_DIR"));
    if (dir.isEmpty())
        dir = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).dir().absolutePath() +
              QStringLiteral("/..");
    return dir + QStringLiteral("/trevok-cli");
}

/// Runs the command line tool; its exit status, or -1 when it did not end normally.
inline int runCli(const QStringList& args)
{
    QProcess p;
    p.start(cliProgram(), args);
    p.waitForFinished(120000);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

/// The bytes of a file, empty when it cannot be read.
inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
