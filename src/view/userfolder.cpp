#include "view/userfolder.h"

#include <QDir>
#include <QStandardPaths>

namespace trevok {

QString UserFolder()
{
    const QString home = qEnvironmentVariable("TREVOK_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(home);
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.config/trevok"));
}

QString UserFilePath(const QString& fileName)
{
    return UserFolder() + QLatin1Char('/') + fileName;
}

bool EnsureUserFolder()
{
    return QDir().mkpath(UserFolder());
}

} // namespace trevok
