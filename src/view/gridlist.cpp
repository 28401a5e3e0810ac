#include "view/gridlist.h"

#include "document/objekt.h"
#include "view/texts.h"

#include <algorithm>
#include <cmath>

namespace trevok
{

namespace
{

const QString SixBlanks = QStringLiteral("      ");

QString userCaption(const QString& text)
{
    return SixBlanks + text + QStringLiteral(" mm");
}

} // namespace

double GridOfTag(std::int64_t tag) noexcept
{
    return tag > 10000 ? static_cast<double>(tag) / 10000.0 : static_cast<double>(tag);
}

GridList::GridList()
{
    // "RM" is the standard pin pitch of 2.54 mm.
    const QString pitch = T("RM", "pitch", "pas");
    const struct {
        std::int64_t tag;
        const char* value;
        const char* part;
    } fixed[] = {
        {79375, "0.079375", "1/32 "}, {158750, "0.15875", "1/16 "}, {317500, "0.3175", "1/8 "},
        {635000, "0.635", "1/4 "},    {1270000, "1.27", "1/2 "},    {2540000, "2.54", ""},
        {5080000, "5.08", "2 "},
    };
    for (const auto& f : fixed) {
        const QString caption = SixBlanks + QLatin1String(f.value) + QStringLiteral(" mm (") +
                                QLatin1String(f.part) + pitch + QLatin1Char(')');
        builtIn_.push_back({f.tag, caption, false});
    }
}

bool GridList::insertUser(GridEntry entry)
{
    entry.User = true;
    const auto at =
        std::find_if(user_.begin(), user_.end(), [&](const GridEntry& e) { return e.Tag >= entry.Tag; });
    if (at != user_.end() && at->Tag == entry.Tag)
        return false;
    user_.insert(at, std::move(entry));
    return true;
}

std::optional<double> GridList::addUserGrid(const QString& millimetreText)
{
    bool ok = false;
    const QString text = millimetreText.trimmed();
    const double mm = text.toDouble(&ok);
    if (!ok || !std::isfinite(mm))
        return std::nullopt;
    const std::int64_t tag = RoundHalfEven64(mm * 100.0);
    // Larger tags would be read as 1/10000 mm; the dialog offers at most 99.90 mm anyway.
    if (tag <= 0 || tag > 10000)
        return std::nullopt;
    insertUser({tag, userCaption(text), true});
    return GridOfTag(tag);
}

bool GridList::isUserGrid(double grid) const noexcept
{
    return std::any_of(user_.begin(), user_.end(), [grid](const GridEntry& e) { return isCurrent(e, grid); });
}

bool GridList::removeUserGrid(double grid)
{
    const std::int64_t tag = RoundHalfEven64(grid);
    const auto at =
        std::find_if(user_.begin(), user_.end(), [tag](const GridEntry& e) { return e.Tag == tag; });
    if (at == user_.end())
        return false;
    user_.erase(at);
    return true;
}

void GridList::readSettings(const std::function<std::optional<QString>(const QString& key)>& value)
{
    std::vector<std::pair<std::int64_t, QString>> entries;
    for (int n = 0; n < MaxUserGrids; ++n) {
        const int i = FirstUserPosition + n;
        const std::optional<QString> tagText = value(QStringLiteral("T%1").arg(i));
        if (!tagText)
            break;
        bool ok = false;
        const qlonglong tag = tagText->trimmed().toLongLong(&ok);
        if (!ok)
            continue;
        entries.emplace_back(tag, value(QStringLiteral("S%1").arg(i)).value_or(QString()));
    }
    setUserGrids(entries);
}

void GridList::setUserGrids(const std::vector<std::pair<std::int64_t, QString>>& entries)
{
    user_.clear();
    for (const auto& [tag, text] : entries) {
        // A tag above 10000 would stand for 1/10000 mm, which user grids never use; zero or a
        // negative grid would break snapping.
        if (tag <= 0 || tag > 10000)
            continue;
        QString caption = text.trimmed();
        if (caption.isEmpty())
            caption = QString::number(tag / 100.0, 'f', 2) + QStringLiteral(" mm");
        insertUser({tag, SixBlanks + caption, true});
        if (static_cast<int>(user_.size()) >= MaxUserGrids)
            break;
    }
}

std::vector<std::pair<QString, QString>> GridList::settingsEntries() const
{
    std::vector<std::pair<QString, QString>> entries;
    int i = FirstUserPosition;
    for (const GridEntry& e : user_) {
        entries.emplace_back(QStringLiteral("T%1").arg(i), QString::number(e.Tag));
        entries.emplace_back(QStringLiteral("S%1").arg(i), e.Caption);
        ++i;
    }
    return entries;
}

} // namespace trevok
