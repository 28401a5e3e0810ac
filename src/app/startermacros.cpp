#include "app/startermacros.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

// The macros live in a resource file of a static library that nothing else refers to; it is
// registered here explicitly, or the linker would leave it out. Outside any namespace, as
// Q_INIT_RESOURCE requires.
static void initMacroResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(macros);
        return true;
    }();
    (void)done;
}

namespace trevok
{

int InstallStarterMacros(const QString& folder)
{
    initMacroResources();
    if (folder.isEmpty() || QFileInfo::exists(folder))
        return 0;
    const QDir target(folder);
    if (!target.mkpath(QStringLiteral(".")))
        return -1;
    const QString root = QStringLiteral(":/macros");
    int copied = 0;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = QDir(root).relativeFilePath(source);
        const QString destination = target.filePath(relative);
        if (QFileInfo::exists(destination))
            continue;
        if (!target.mkpath(QFileInfo(relative).path()))
            continue;
        if (!QFile::copy(source, destination))
            continue;
        // Copies of resources are read-only; the user edits the comment lines of his macros.
        QFile::setPermissions(destination, QFile::permissions(destination) | QFileDevice::WriteOwner |
                                               QFileDevice::ReadOwner);
        ++copied;
    }
    return copied;
}

} // namespace trevok
