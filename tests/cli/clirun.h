#pragma once
// Runs the trevok-cli binary as a script would.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <string>

namespace
{

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

/// The trevok-cli of the same build.
QString cliPath()
{
    // ctest names the build folder; run by hand, the test program sits in its tests/ folder.
    QString dir = QString::fromLocal8Bit(qgetenv("TREVOK_TEST_BINARY_DIR"));
    if (dir.isEmpty())
        dir = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).dir().absolutePath() +
              QStringLiteral("/..");
    return dir + QStringLiteral("/trevok-cli");
}

CliRun cli(const QStringList& args)
{
    QProcess p;
    p.start(cliPath(), args);
    p.waitForFinished(60000);
    CliRun r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

} // namespace
