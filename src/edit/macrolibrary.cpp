#include "edit/macrolibrary.h"

#include "document/layoutfile.h"
#include "document/undo.h"
#include "edit/commandhelpers.h"
#include "edit/layouttext.h"
#include "edit/properties.h"
#include "edit/session.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <string_view>
#include <system_error>

// The macro library without windows: the preview list with its options, the automatic side
// match, the comment write-back, dropping a macro on the board, taking the elements a macro is
// saved from, and the folders and files the panel lists.

namespace trevok
{

namespace fs = std::filesystem;

namespace
{

/// Macro files may still carry the layer codes 5 and 6, which stand for 3 and 2.
std::uint8_t boardLayer(std::uint8_t layer) noexcept
{
    if (layer == 5)
        return LayerK2;
    if (layer == 6)
        return LayerB1;
    return layer;
}

void setLayerWithStrokes(TObjekt& e, std::uint8_t layer) noexcept
{
    e.Layer = layer;
    for (TObjekt& stroke : e.Strokes)
        stroke.Layer = layer;
}

/// A pad of the preview that is still to receive its through-plating twin. The mark is a link to
/// the pad itself; a copy of the preview keeps the self link but loses TwinIndex, so both count.
bool markedForTwin(const TObjekt& e) noexcept
{
    return e.Kind == KindPad && e.Twin && (e.Twin == &e || e.TwinIndex == TwinToCreate);
}

bool fileExists(const std::string& path) noexcept
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(fs::path(path), ec);
}

std::string fileNameOf(const std::string& path)
{
    return fs::path(path).filename().string();
}

bool hidden(const fs::path& p)
{
    const std::string name = p.filename().string();
    return name.empty() || name.front() == '.';
}

/// The entries of a folder that pass keep, by name, sorted ordinally; empty on any error.
template <class Keep> std::vector<std::string> folderEntries(const fs::path& folder, Keep&& keep)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    if (ec)
        return names;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            return {};
        const fs::directory_entry& entry = *it;
        if (hidden(entry.path()))
            continue;
        if (keep(entry))
            names.push_back(entry.path().filename().string());
    }
    if (ec)
        return {};
    std::sort(names.begin(), names.end());
    return names;
}

bool isFolder(const fs::directory_entry& entry)
{
    std::error_code ec;
    return entry.is_directory(ec);
}

bool isMacroFile(const fs::directory_entry& entry)
{
    std::error_code ec;
    if (!entry.is_regular_file(ec))
        return false;
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return ext == ".lmk";
}

void fillFolder(MacroFolder& node, const fs::path& folder, int depthLeft)
{
    if (depthLeft <= 0)
        return;
    for (const std::string& name : folderEntries(folder, isFolder)) {
        MacroFolder child;
        child.name = name;
        fillFolder(child, folder / name, depthLeft - 1);
        node.children.push_back(std::move(child));
    }
}

std::int64_t largestGroupId(const ElementList& list, std::size_t begin, std::size_t end) noexcept
{
    std::int64_t largest = 0;
    for (std::size_t i = begin; i < end && i < list.size(); ++i)
        for (std::int32_t id : list[i]->Groups)
            largest = std::max<std::int64_t>(largest, id);
    return largest;
}

/// Compacts the group ids of list[begin..end) among themselves.
void compactRange(ElementList& list, std::size_t begin, std::size_t end)
{
    ElementList part;
    for (std::size_t i = begin; i < end; ++i)
        part.push_back(std::move(list[i]));
    CompactGroupIds(part);
    for (std::size_t i = begin; i < end; ++i)
        list[i] = std::move(part[i - begin]);
}

/// Raises the group ids of the dropped elements (list[start..]) by g = 1 + the largest id on the
/// board before them. The largest id overall is taken, not only the largest last id: an inner id
/// of a foreign file may be the larger one, and meeting it again would join the dropped group
/// with an unrelated one once the outer group is dissolved.
void raiseDroppedGroups(ElementList& list, std::size_t start)
{
    constexpr std::int64_t maxId = std::numeric_limits<std::int32_t>::max();
    std::int64_t g = 1 + largestGroupId(list, 0, start);
    if (g + largestGroupId(list, start, list.size()) > maxId) {
        // Ids near the top of the range: close the gaps on both sides first.
        compactRange(list, 0, start);
        compactRange(list, start, list.size());
        g = 1 + largestGroupId(list, 0, start);
    }
    for (std::size_t i = start; i < list.size(); ++i)
        for (std::int32_t& id : list[i]->Groups)
            id = Saturate32(id + g);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Transformations of a macro list

void mirrorMacro(ElementList& elements)
{
    for (auto& e : elements)
        MirrorX(*e, TPoint{0, 0});
}

void changeMacroSide(ElementList& elements)
{
    for (auto& e : elements)
        setLayerWithStrokes(*e, OppositeLayer(e->Layer));
}

void markMacroTwins(ElementList& elements, bool mark)
{
    for (auto& e : elements) {
        if (e->Kind != KindPad)
            continue;
        if (mark && !e->Twin) {
            e->Twin = e.get();
            e->TwinIndex = TwinToCreate;
        } else if (!mark && markedForTwin(*e)) {
            e->Twin = nullptr;
            e->TwinIndex = -1;
        }
    }
}

bool macroNeedsSideChange(const ElementList& elements, int activeLayer) noexcept
{
    int copper = 0; // none
    int print = 0;
    for (const auto& e : elements) {
        const std::uint8_t layer = boardLayer(e->Layer);
        if (layer == LayerK1 || layer == LayerK2)
            copper = layer;
        else if (layer == LayerB1 || layer == LayerB2)
            print = layer;
    }
    switch (activeLayer) {
    case LayerK1:
    case LayerK2:
        return copper != activeLayer;
    case LayerB1:
    case LayerB2:
        return print != activeLayer;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// The preview

std::optional<TRect> MacroPreview::bounds() const
{
    std::optional<TRect> r;
    for (const auto& e : elements_)
        r = r ? r->united(Bounds(*e)) : Bounds(*e);
    return r;
}

void MacroPreview::setComment(int line, std::string text)
{
    if (line != 1 && line != 2)
        return;
    if (text.size() > MaxMacroLine)
        text.resize(MaxMacroLine);
    std::string& target = line == 1 ? comment1_ : comment2_;
    if (target == text)
        return;
    target = std::move(text);
    commentChanged_ = true;
}

std::optional<TrevokError> MacroPreview::writeBackComments()
{
    if (!commentChanged_ || !fileExists(path_))
        return std::nullopt;
    // The file keeps the macro as it was drawn: the options shown in the preview are taken back
    // from a copy, which leaves the preview as the user sees it.
    ElementList original;
    CopyElementList(original, elements_);
    for (auto& e : original)
        if (e->Kind == KindPad && e->Twin == e.get())
            e->Twin = nullptr;
    if (options_.changeSide)
        changeMacroSide(original);
    if (options_.mirror)
        mirrorMacro(original);
    try {
        WriteMacroFile(path_, original, comment1_, comment2_);
    } catch (const TrevokError& error) {
        return error;
    }
    commentChanged_ = false;
    return std::nullopt;
}

void MacroPreview::clear()
{
    elements_.clear();
    path_.clear();
    comment1_.clear();
    comment2_.clear();
    commentChanged_ = false;
}

MacroLoadResult MacroPreview::LoadMacroPreview(const std::string& file, int activeLayer, double grid)
{
    MacroLoadResult result;
    if (!fileExists(file))
        return result;
    result.writeBackError = writeBackComments();

    clear();
    MacroFileContent content;
    try {
        content = ReadMacroFile(file, grid, ConvertMacroFontTexts);
    } catch (const TrevokError& error) {
        // Nothing is shown, and nothing is remembered that a later comment write-back could
        // put over the damaged file.
        result.error = error;
        return result;
    }
    elements_ = std::move(content.elements);
    comment1_ = std::move(content.line1);
    comment2_ = std::move(content.line2);
    path_ = file;

    if (options_.mirror)
        mirrorMacro(elements_);
    if (options_.changeSide)
        changeMacroSide(elements_);
    // An empty macro has no side; flipping it would only toggle the buttons.
    result.sideMatched = matchSide(activeLayer);
    if (options_.throughPlate)
        markMacroTwins(elements_, true);
    commentChanged_ = false;
    result.loaded = true;
    return result;
}

bool MacroPreview::matchSide(int activeLayer)
{
    if (elements_.empty() || !macroNeedsSideChange(elements_, activeLayer))
        return false;
    mirrorMacro(elements_);
    changeMacroSide(elements_);
    options_.mirror = !options_.mirror;
    options_.changeSide = !options_.changeSide;
    return true;
}

void MacroPreview::setMirror(bool down)
{
    if (down == options_.mirror)
        return;
    mirrorMacro(elements_);
    options_.mirror = down;
}

void MacroPreview::setChangeSide(bool down)
{
    if (down == options_.changeSide)
        return;
    changeMacroSide(elements_);
    options_.changeSide = down;
}

void MacroPreview::setThroughPlate(bool down)
{
    if (down == options_.throughPlate)
        return;
    markMacroTwins(elements_, down);
    options_.throughPlate = down;
}

// ---------------------------------------------------------------------------------------------
// Placing

TPoint macroDropOffset(const TBoard& board, TPoint cursor, double grid, bool ctrl)
{
    const std::int64_t x = std::clamp<std::int64_t>(cursor.x, 0, std::max<std::int64_t>(0, board.BoardWidth));
    const std::int64_t y =
        std::clamp<std::int64_t>(cursor.y, std::min<std::int64_t>(0, -std::int64_t{board.BoardHeight}), 0);
    return ctrl ? TPoint{Saturate32(x), Saturate32(y)} : SnapOffset(x, y, grid);
}

EditResult DropMacro(TProject& project, const ElementList& macro, TPoint offset)
{
    EditResult result;
    TBoard* board = project.currentBoard();
    if (!board || macro.empty())
        return result;
    ElementList& list = board->Elements;
    // Every macro element is copied, so the copy of macro[i] is list[start + i].
    const std::size_t start = edit::appendCopiesDeselectingBoard(project, macro, result);
    const std::size_t end = list.size();
    raiseDroppedGroups(list, start);
    for (std::size_t i = start; i < end; ++i) {
        TObjekt& e = *list[i];
        Translate(e, offset.x, offset.y);
        setLayerWithStrokes(e, boardLayer(e.Layer));
        e.Selected = 1;
    }

    // Through-plating: a marked pad gets a real twin on the other side (never a link to itself);
    // a pad whose twin is inside the macro is linked to that twin's copy.
    for (std::size_t i = start; i < end; ++i) {
        TObjekt& e = *list[i];
        if (e.Kind != KindPad || !e.Twin)
            continue;
        const TObjekt& source = *macro[i - start];
        if (markedForTwin(source) || e.Twin == &e) {
            e.Twin = nullptr;
            AddTwin(list, e);
            continue;
        }
        const std::int32_t k = source.TwinIndex;
        if (k >= 0 && static_cast<std::size_t>(k) < end - start &&
            k != static_cast<std::int32_t>(i - start)) {
            TObjekt& partner = *list[start + static_cast<std::size_t>(k)];
            if (partner.Kind == KindPad) {
                e.Twin = &partner;
                partner.Twin = &e;
            }
        }
    }
    for (std::size_t i = start; i < list.size(); ++i)
        result.include(Bounds(*list[i]));

    GroupSelection(list);
    result.changed = true;
    return result;
}

// ---------------------------------------------------------------------------------------------
// Saving and deleting

MacroSelection macroFromBoard(const TBoard& board, double grid)
{
    MacroSelection selection;
    if (board.Elements.empty())
        return selection;
    selection.wholeBoard = std::none_of(board.Elements.begin(), board.Elements.end(),
                                        [](const auto& e) { return e->Selected != 0; });
    const bool whole = selection.wholeBoard;
    CopyElementList(selection.elements, board.Elements, 0,
                    [whole](const TObjekt& e) { return whole || e.Selected != 0; });

    std::optional<TRect> r;
    for (const auto& e : selection.elements)
        r = r ? r->united(Bounds(*e)) : Bounds(*e);
    const TPoint centre{Saturate32((r->left + r->right) / 2), Saturate32((r->top + r->bottom) / 2)};
    const TPoint origin = SnapToGrid(centre, grid);
    for (auto& e : selection.elements) {
        Translate(*e, Saturate32(-std::int64_t{origin.x}), Saturate32(-std::int64_t{origin.y}));
        e->Selected = 0;
    }
    return selection;
}

void deleteMacroFile(const std::string& path)
{
    std::error_code ec;
    fs::remove(fs::path(path), ec);
    if (ec)
        throw TrevokError(MsgId::WriteError, {fileNameOf(path), ec.message()});
}

// ---------------------------------------------------------------------------------------------
// Folders

namespace
{

bool isDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

/// Ordinal order, except that runs of digits compare by their value: "DIP-8" comes before
/// "DIP-14", as a user looking for a part expects.
bool naturalLess(const std::string& a, const std::string& b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t ei = i;
            std::size_t ej = j;
            while (ei < a.size() && isDigit(a[ei]))
                ++ei;
            while (ej < b.size() && isDigit(b[ej]))
                ++ej;
            std::size_t si = i;
            std::size_t sj = j;
            while (si + 1 < ei && a[si] == '0')
                ++si;
            while (sj + 1 < ej && b[sj] == '0')
                ++sj;
            const std::string_view da(a.data() + si, ei - si);
            const std::string_view db(b.data() + sj, ej - sj);
            if (da.size() != db.size())
                return da.size() < db.size();
            if (da != db)
                return da < db;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    if ((i < a.size()) != (j < b.size()))
        return j < b.size();
    return a < b; // equal in value ("07" and "7"): keep a fixed order
}

} // namespace

std::vector<std::string> listMacroFiles(const std::string& folder)
{
    if (folder.empty())
        return {};
    std::vector<std::string> names = folderEntries(fs::path(folder), isMacroFile);
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

MacroFolder macroFolderTree(const std::string& root, int maxDepth)
{
    MacroFolder tree;
    if (!root.empty())
        fillFolder(tree, fs::path(root), maxDepth);
    return tree;
}

std::string macroFolderFromMenuPath(const std::vector<std::string>& captions)
{
    std::string path;
    for (const std::string& caption : captions) {
        if (!path.empty())
            path += '\\';
        path += caption;
    }
    const std::string up = "\\..";
    if (path.size() >= up.size() && path.compare(path.size() - up.size(), up.size(), up) == 0)
        path.resize(path.size() - up.size());
    return path.empty() ? ".." : path;
}

std::string macroFolderPath(const std::string& root, const std::string& relative)
{
    std::string rel = relative;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    if (rel == ".." || rel == "...")
        return root;
    if (!rel.empty() && rel.front() == '/')
        return root; // an absolute path is no folder below the root
    fs::path result(root);
    std::size_t pos = 0;
    while (pos <= rel.size()) {
        const std::size_t next = std::min(rel.find('/', pos), rel.size());
        const std::string part = rel.substr(pos, next - pos);
        pos = next + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return root;
        result /= part;
    }
    return result.string();
}

} // namespace trevok
