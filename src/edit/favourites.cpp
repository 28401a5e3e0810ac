#include "edit/favourites.h"

#include "document/objekt.h"
#include "edit/layspinvalue.h"

#include <algorithm>
#include <cmath>

namespace trevok
{

namespace
{

/// The 3 or 4 characters of a number at the start of text: 4 when the fourth is not a blank.
std::optional<std::int32_t> numberAt(std::string_view text)
{
    if (text.size() < 3)
        return std::nullopt;
    const std::size_t n = text.size() >= 4 && text[3] != ' ' ? 4 : 3;
    const std::string_view digits = text.substr(0, n);
    // The field texts are plain decimals; anything else is not a caption of ours.
    bool seenDigit = false;
    for (char c : digits) {
        if (c >= '0' && c <= '9')
            seenDigit = true;
        else if (c != '.' && c != ',' && c != ' ')
            return std::nullopt;
    }
    if (!seenDigit)
        return std::nullopt;
    return RoundHalfEven(parseFieldNumber(digits) * 100.0);
}

const char* addText(int language)
{
    return language == 1 ? "Add" : language == 2 ? "Ajouter" : "Hinzufügen";
}

const char* removeText(int language)
{
    return language == 1 ? "Remove" : language == 2 ? "Enlever" : "Entfernen";
}

} // namespace

std::optional<SizePair> parseSizeCaption(std::string_view caption)
{
    std::string text;
    text.reserve(caption.size());
    for (char c : caption)
        if (c != '&')
            text.push_back(c);
    const auto first = numberAt(text);
    const std::size_t x = text.find("x ");
    if (!first || x == std::string::npos)
        return std::nullopt;
    const auto second = numberAt(std::string_view(text).substr(x + 2));
    if (!second)
        return std::nullopt;
    return SizePair{*first, *second};
}

std::string formatTrackWidthCaption(std::string_view widthText)
{
    return std::string(widthText) + " mm";
}

std::string formatSizeCaption(std::string_view firstText, std::string_view secondText)
{
    return std::string(firstText) + " x " + std::string(secondText) + " mm";
}

void FavouriteList::setEntries(std::vector<FavouriteEntry> entries)
{
    entries_.clear();
    for (FavouriteEntry& e : entries) {
        if (kind_ != FavouriteKind::TrackWidth && !parseSizeCaption(e.caption))
            continue;
        entries_.push_back(std::move(e));
    }
}

std::optional<SizePair> FavouriteList::valueOf(const FavouriteEntry& entry) const
{
    if (kind_ == FavouriteKind::TrackWidth)
        return SizePair{entry.tag, 0};
    return parseSizeCaption(entry.caption);
}

bool FavouriteList::matches(const FavouriteEntry& entry, SizePair current) const
{
    const auto v = valueOf(entry);
    if (!v)
        return false;
    switch (kind_) {
    case FavouriteKind::TrackWidth:
        return v->first == current.first;
    case FavouriteKind::PadSize:
        return v->first / 2 == current.first && v->second / 2 == current.second;
    case FavouriteKind::SmdSize:
        return *v == current;
    }
    return false;
}

int FavouriteList::find(SizePair current) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (matches(entries_[i], current))
            return static_cast<int>(i);
    return -1;
}

bool FavouriteList::less(const FavouriteEntry& a, const FavouriteEntry& b) const
{
    const auto va = valueOf(a);
    const auto vb = valueOf(b);
    if (!va || !vb)
        return false;
    if (kind_ == FavouriteKind::TrackWidth)
        return va->first < vb->first;
    return va->first < vb->first || (va->first == vb->first && va->second < vb->second);
}

bool FavouriteList::add(std::string_view firstText, std::string_view secondText, std::int32_t widthUnits)
{
    FavouriteEntry entry;
    if (kind_ == FavouriteKind::TrackWidth) {
        entry.tag = widthUnits;
        entry.caption = formatTrackWidthCaption(firstText);
    } else {
        entry.caption = formatSizeCaption(firstText, secondText);
    }
    const auto value = valueOf(entry);
    if (!value)
        return false;
    for (const FavouriteEntry& e : entries_)
        if (valueOf(e) == value)
            return false;
    const auto at = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const FavouriteEntry& e) { return less(entry, e); });
    entries_.insert(at, std::move(entry));
    return true;
}

bool FavouriteList::remove(SizePair current)
{
    const int i = find(current);
    if (i < 0)
        return false;
    entries_.erase(entries_.begin() + i);
    return true;
}

std::vector<FavouriteMenuItem> FavouriteList::menu(SizePair current, int language) const
{
    std::vector<FavouriteMenuItem> items;
    bool anyChecked = false;
    for (const FavouriteEntry& e : entries_) {
        FavouriteMenuItem item;
        item.caption = e.caption;
        item.tag = e.tag;
        item.checked = matches(e, current);
        anyChecked = anyChecked || item.checked;
        items.push_back(std::move(item));
    }
    FavouriteMenuItem separator;
    separator.caption = "-";
    separator.tag = -1;
    separator.separator = true;
    items.push_back(separator);
    FavouriteMenuItem add;
    add.caption = addText(language);
    add.enabled = !anyChecked;
    items.push_back(add);
    FavouriteMenuItem remove;
    remove.caption = removeText(language);
    remove.enabled = anyChecked;
    items.push_back(remove);
    return items;
}

} // namespace trevok
