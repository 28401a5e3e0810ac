#include "app/recentfiles.h"

#include <QAction>
#include <QFileInfo>

namespace trevok
{

bool IsBackupPath(const QString& path)
{
    return path.endsWith(QLatin1String(".bak"), Qt::CaseInsensitive);
}

bool RecentFiles::AddRecentFile(const QString& path)
{
    if (path.isEmpty() || IsBackupPath(path))
        return false;
    for (const QString& known : paths_)
        if (known.compare(path, Qt::CaseInsensitive) == 0)
            return false;
    for (std::size_t i = paths_.size() - 1; i > 0; --i)
        paths_[i] = paths_[i - 1];
    paths_[0] = path;
    return true;
}

QString RecentFiles::entryText(int index) const
{
    QString name = QFileInfo(path(index)).fileName();
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QStringLiteral("&%1 ").arg(index + 1) + name;
}

bool RecentFiles::entryVisible(int index) const
{
    return path(index).size() > 1;
}

void RecentFiles::updateActions(const std::array<QAction*, 4>& entries, QAction* separator) const
{
    for (int i = 0; i < 4; ++i) {
        if (!entries[static_cast<std::size_t>(i)])
            continue;
        entries[static_cast<std::size_t>(i)]->setText(entryText(i));
        entries[static_cast<std::size_t>(i)]->setVisible(entryVisible(i));
    }
    if (separator)
        separator->setVisible(separatorVisible());
}

} // namespace trevok
