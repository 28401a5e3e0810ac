#include "view/userfolder.h"

#include <QDir>
#include <QStandardPaths>

namespace trevok
{

QString UserFolder()
{
    const QString home = qEnvironmentVariable("TREVOK_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(home);
    // Not QStandardPaths::AppConfigLocation: that depends on the organisation and application
    // names set on the application object, and the folder must not move when they change.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir::cleanPath(config + QStringLiteral("/trevok"));
}

QString UserFilePath(const QString& name)
{
    return UserFolder() + QLatin1Char('/') + name;
}

bool EnsureUserFolder()
{
    return QDir().mkpath(UserFolder());
}

} // namespace trevok
