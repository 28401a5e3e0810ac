#include "view/widgets/cursors.h"

#include <QFile>
#include <QPixmap>
#include <QString>

#include <array>

// The pictures live in a resource file of a static library that nothing else refers to, so it
// is registered explicitly before the first look-up, or the linker would leave it out.
static void initIconResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}

namespace trevok
{

namespace
{

struct CursorSpot {
    std::string_view name;
    int x;
    int y;
};

constexpr std::array<CursorSpot, 6> Spots{{
    {"LUPE", 12, 12},
    {"TEST", 2, 29},
    {"CHANGER", 16, 16},
    {"CONNECT", 8, 8},
    {"AUTOROUTE", 8, 8},
    {"RING", 16, 16},
}};

QString resourcePath(std::string_view folder, std::string_view name)
{
    initIconResources();
    return QStringLiteral(":/icons/") + QString::fromUtf8(folder.data(), qsizetype(folder.size())) +
           QString::fromUtf8(name.data(), qsizetype(name.size())) + QStringLiteral(".svg");
}

} // namespace

QPoint TrevokCursorHotSpot(std::string_view name) noexcept
{
    for (const CursorSpot& s : Spots)
        if (s.name == name)
            return {s.x, s.y};
    return {-1, -1};
}

QCursor TrevokCursor(std::string_view name)
{
    if (name == "CROSS")
        return QCursor(Qt::CrossCursor);
    if (name == "WAIT")
        return QCursor(Qt::WaitCursor);
    const QPoint spot = TrevokCursorHotSpot(name);
    if (spot.x() < 0)
        return QCursor(Qt::ArrowCursor);
    QString file =
        QStringLiteral("cursor_") + QString::fromUtf8(name.data(), qsizetype(name.size())).toLower();
    const QPixmap picture = QIcon(resourcePath("", file.toStdString())).pixmap(32, 32);
    if (picture.isNull())
        return QCursor(Qt::CrossCursor);
    return QCursor(picture, spot.x(), spot.y());
}

QIcon TrevokIcon(std::string_view name)
{
    const QString path = resourcePath("", name);
    if (!QFile::exists(path))
        return {};
    return QIcon(path);
}

QIcon ThemeIcon(const char* themeName, std::string_view fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName), TrevokIcon(fallback));
}

QIcon PadShapeIcon(int shape, bool plated)
{
    if (shape < 1 || shape > 9)
        shape = 1;
    const std::string name = (plated ? "pad_plated_" : "pad_") + std::to_string(shape);
    return TrevokIcon(name);
}

} // namespace trevok
