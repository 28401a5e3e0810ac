#include "document/layoutfile.h"

#include "document/atomicfile.h"
#include "document/bytereader.h"
#include "document/elementblock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <utility>

namespace trevok
{
namespace
{

constexpr std::size_t BoardBlockV4 = 490;
constexpr std::size_t BoardBlockV3 = 482;

std::string withoutFolder(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

// ---------------------------------------------------------------------------------------------
// Board block

void decodeBoardBlock(const std::uint8_t* b, TBoard& board, int version)
{
    // Bytes 0..3 held the element list in memory; they mean nothing on disk.
    board.BoardWidth = LoadI32(b + 4);
    board.BoardHeight = LoadI32(b + 8);
    board.GroundPlane1 = b[12];
    board.GroundPlane2 = b[13];
    board.Grid = LoadF64(b + 14);
    board.Zoom = LoadF64(b + 22);
    board.ScrollX = LoadI32(b + 30);
    board.ScrollY = LoadI32(b + 34);
    board.ActiveLayer = b[38];
    if (version >= 4) {
        for (int i = 0; i < 4; ++i)
            board.LayerVisible[i] = b[42 + i];
    } // version 3 kept no visibility: all layers are shown
    board.TemplateShown = {b[46], b[47]};
    board.TemplateFile[0] = ByteReader::FieldString(b + 48, MaxTemplateFile);
    board.TemplateFile[1] = ByteReader::FieldString(b + 249, MaxTemplateFile);
    board.TemplateDpi = {LoadI32(b + 450), LoadI32(b + 454)};
    board.TemplateOffsetX = {LoadI32(b + 458), LoadI32(b + 462)};
    board.TemplateOffsetY = {LoadI32(b + 466), LoadI32(b + 470)};
    board.TemplateColour = {LoadI32(b + 474), LoadI32(b + 478)};
    if (version >= 4)
        board.Origin = {LoadI32(b + 482), LoadI32(b + 486)};
    // version 3 kept no origin: (0, 0)
}

void encodeBoardBlock(std::uint8_t* b, const TBoard& board)
{
    StoreI32(b + 4, board.BoardWidth);
    StoreI32(b + 8, board.BoardHeight);
    b[12] = board.GroundPlane1;
    b[13] = board.GroundPlane2;
    StoreF64(b + 14, board.Grid);
    StoreF64(b + 22, board.Zoom);
    StoreI32(b + 30, board.ScrollX);
    StoreI32(b + 34, board.ScrollY);
    b[38] = board.ActiveLayer;
    for (int i = 0; i < 4; ++i)
        b[42 + i] = board.LayerVisible[i];
    b[46] = board.TemplateShown[0];
    b[47] = board.TemplateShown[1];
    for (int side = 0; side < 2; ++side) {
        std::uint8_t* f = b + (side == 0 ? 48 : 249);
        const std::string& s = board.TemplateFile[side];
        const std::size_t len = std::min(s.size(), MaxTemplateFile);
        f[0] = static_cast<std::uint8_t>(len);
        std::copy_n(s.data(), len, f + 1);
    }
    StoreI32(b + 450, board.TemplateDpi[0]);
    StoreI32(b + 454, board.TemplateDpi[1]);
    StoreI32(b + 458, board.TemplateOffsetX[0]);
    StoreI32(b + 462, board.TemplateOffsetX[1]);
    StoreI32(b + 466, board.TemplateOffsetY[0]);
    StoreI32(b + 470, board.TemplateOffsetY[1]);
    StoreI32(b + 474, board.TemplateColour[0]);
    StoreI32(b + 478, board.TemplateColour[1]);
    StoreI32(b + 482, board.Origin.x);
    StoreI32(b + 486, board.Origin.y);
}

/// View values from a foreign or damaged file that the view could not work with are replaced:
/// a zoom outside 0.01..1.0 is clamped (not a number: 0.1), a grid that is not a positive
/// number becomes 254, an active layer outside 1..4 becomes 3, and the active layer is shown
/// (it can never be hidden). Switches are normalised to 0 and 1.
void makeViewSafe(TBoard& board)
{
    if (std::isnan(board.Zoom))
        board.Zoom = 0.1;
    else
        board.Zoom = std::clamp(board.Zoom, 0.01, 1.0);
    if (!std::isfinite(board.Grid) || board.Grid <= 0.0)
        board.Grid = 254.0;
    if (board.ActiveLayer < LayerK1 || board.ActiveLayer > LayerB2)
        board.ActiveLayer = LayerK2;
    for (std::uint8_t& v : board.LayerVisible)
        v = v ? 1 : 0;
    board.LayerVisible[board.ActiveLayer - 1] = 1;
    board.GroundPlane1 = board.GroundPlane1 ? 1 : 0;
    board.GroundPlane2 = board.GroundPlane2 ? 1 : 0;
    for (std::uint8_t& v : board.TemplateShown)
        v = v ? 1 : 0;
}

/// What every freshly read element list goes through, boards and macros alike. Every board of
/// a file gets it, not only the one shown: later code relies on two nodes per track and on
/// mutual twins everywhere, and compacted ids keep "next free group id" far from overflowing.
void makeListSafe(ElementList& list, int version)
{
    if (version == 1)
        ConvertOldGroups(list);
    for (auto& e : list) {
        e->OldGroup = 0;
        EnforceElementInvariants(*e);
    }
    RepairLoadedElements(list);
    CompactGroupIds(list);
}

std::unique_ptr<TBoard> readBoard(ByteReader& in, int version)
{
    auto board = std::make_unique<TBoard>();
    board->Name = in.shortString(MaxBoardName);
    decodeBoardBlock(in.take(version >= 4 ? BoardBlockV4 : BoardBlockV3), *board, version);
    ReadElementBlock(in, version, board->Elements);
    makeViewSafe(*board);
    makeListSafe(board->Elements, version);
    return board;
}

int countFontTextsOn(const TProject& project) noexcept
{
    int n = 0;
    for (const auto& b : project.Boards)
        for (const auto& e : b->Elements)
            n += e->Kind == KindFontText ? 1 : 0;
    return n;
}

std::size_t estimateSize(const ElementList& list) noexcept
{
    std::size_t n = 4;
    for (const auto& e : list) {
        n += RecordSizeV4 + 24 + e->Text.size() + 4 * e->Groups.size() + 8 * e->Points.size() +
             4 * e->Connections.size();
        for (const TObjekt& s : e->Strokes)
            n += RecordSizeV4 + 4 + 8 * s.Points.size();
    }
    return n;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Header

int FileVersionOf(std::span<const std::uint8_t> bytes, const std::string& path)
{
    if (bytes.size() >= 4) {
        const std::uint32_t magic = LoadU32(bytes.data());
        if (magic >= FileMagic && magic <= FileMagic + NewestFileVersion)
            return static_cast<int>(magic - FileMagic);
    }
    throw TrevokError(MsgId::NotATrevokFile, {withoutFolder(path)});
}

int CheckLayoutFile(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec))
            throw TrevokError(MsgId::FileNotFound, {path});
        throw TrevokError(MsgId::NotATrevokFile, {withoutFolder(path)});
    }
    std::uint8_t head[4] = {};
    const std::size_t n = std::fread(head, 1, 4, f);
    std::fclose(f);
    return FileVersionOf(std::span<const std::uint8_t>(head, n), path);
}

bool IsLayoutFile(const std::string& path) noexcept
{
    try {
        CheckLayoutFile(path);
        return true;
    } catch (...) {
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Layout files

LayoutFileContent ParseLayoutFile(std::span<const std::uint8_t> bytes, const std::string& name,
                                  LanguageCode language, bool appending)
{
    LayoutFileContent content;
    content.version = FileVersionOf(bytes, name);
    const int version = content.version;
    ByteReader in(bytes, name);
    in.skip(4);
    try {
        if (version <= 2) {
            auto board = std::make_unique<TBoard>();
            board->Name = DefaultBoardName(language, 1);
            board->BoardWidth = in.i32();
            board->BoardHeight = in.i32();
            ReadElementBlock(in, version, board->Elements);
            makeViewSafe(*board);
            makeListSafe(board->Elements, version);
            content.boards.push_back(std::move(board));
        } else {
            const std::size_t boardBytes =
                MaxBoardName + 1 + (version >= 4 ? BoardBlockV4 : BoardBlockV3) + 4;
            const std::size_t count = in.count32(boardBytes);
            for (std::size_t i = 0; i < count; ++i)
                content.boards.push_back(readBoard(in, version));
            if (version == 3 && !appending) {
                content.shownIndex = in.i32();
                in.skip(8); // a coordinate origin that this version did not use
            } else if (version >= 4) {
                content.shownIndex = in.i32();
                TProjectInfo info;
                info.Title = in.shortString(MaxProjectString);
                info.Author = in.shortString(MaxProjectString);
                info.Company = in.shortString(MaxProjectString);
                const std::size_t length = in.count32(1);
                const std::uint8_t* text = in.take(length);
                info.Comment.assign(reinterpret_cast<const char*>(text), std::min(length, MaxProjectComment));
                content.info = std::move(info);
            }
        }
    } catch (const TrevokError& e) {
        content.error = e;
    }
    return content;
}

std::vector<FileNotice> LayoutReadResult::notices() const
{
    std::vector<FileNotice> out;
    if (fontTextCount > 0)
        out.push_back({MsgId::FontTextQuestion, {std::to_string(fontTextCount)}});
    if (olderVersion)
        out.push_back({MsgId::OlderVersion, {}});
    return out;
}

LayoutReadResult ReadLayoutFile(TProject& project, const std::string& path, bool appendOnly,
                                LanguageCode language)
{
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    LayoutFileContent content = ParseLayoutFile(bytes, withoutFolder(path), language, appendOnly);

    LayoutReadResult result;
    result.version = content.version;
    result.error = std::move(content.error);

    // Reading never changes the boards the project already has: when appending, the board the
    // user was looking at only has its live state stored, its ground-plane switches stay.
    if (!appendOnly) {
        project.Boards.clear();
        project.Current = -1;
        project.Info = TProjectInfo{};
        project.FileName.clear();
    } else if (TBoard* shown = project.currentBoard()) {
        if (project.StoreLiveState)
            project.StoreLiveState(*shown);
    }

    result.firstNewBoard = static_cast<int>(project.Boards.size());
    result.boardsAdded = static_cast<int>(content.boards.size());
    for (auto& b : content.boards)
        project.Boards.push_back(std::move(b));

    if (!appendOnly) {
        if (project.Boards.empty()) {
            // A file without a single complete board still leaves a usable project.
            auto board = std::make_unique<TBoard>();
            board->Name = DefaultBoardName(language, 1);
            project.Boards.push_back(std::move(board));
        }
        const std::int32_t shown = content.shownIndex.value_or(0);
        project.Current = shown >= 0 && shown < static_cast<std::int32_t>(project.Boards.size()) ? shown : 0;
        if (content.info)
            project.Info = std::move(*content.info);
    } else if (result.boardsAdded > 0) {
        project.Current = static_cast<int>(project.Boards.size()) - 1;
    }

    // Older versions had the copper sides the other way round; their elements were exchanged
    // while reading, and the ground-plane switches of every board read follow them, so that the
    // plane stays with its copper on every board, not only on the one shown.
    if (content.version <= 3) {
        for (std::size_t i = static_cast<std::size_t>(result.firstNewBoard); i < project.Boards.size(); ++i) {
            TBoard& b = *project.Boards[i];
            std::swap(b.GroundPlane1, b.GroundPlane2);
        }
    }

    result.olderVersion = content.version <= 3;
    result.fontTextCount = countFontTextsOn(project);
    if (appendOnly) {
        project.Modified = true;
    } else {
        project.Modified = result.error.has_value();
        if (!result.error)
            project.FileName = path;
    }
    result.modified = project.Modified;
    if (project.LoadLiveState)
        if (TBoard* shown = project.currentBoard())
            project.LoadLiveState(*shown);
    return result;
}

std::vector<std::uint8_t> EncodeLayoutFile(const TProject& project)
{
    std::size_t estimate = 4 + 4 + 4 + 3 * (MaxProjectString + 1) + 4 + MaxProjectComment;
    for (const auto& b : project.Boards)
        estimate += MaxBoardName + 1 + BoardBlockV4 + estimateSize(b->Elements);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(estimate);
    ByteWriter out(bytes);
    out.u32(FileMagic + NewestFileVersion);
    out.i32(static_cast<std::int32_t>(project.Boards.size()));
    for (const auto& b : project.Boards) {
        out.shortString(b->Name, MaxBoardName);
        encodeBoardBlock(out.record(BoardBlockV4), *b);
        WriteElementBlock(out, b->Elements);
    }
    const int shown = project.currentBoard() ? project.Current : 0;
    out.i32(shown);
    out.shortString(project.Info.Title, MaxProjectString);
    out.shortString(project.Info.Author, MaxProjectString);
    out.shortString(project.Info.Company, MaxProjectString);
    const std::string_view comment = std::string_view(project.Info.Comment).substr(0, MaxProjectComment);
    out.i32(static_cast<std::int32_t>(comment.size()));
    out.bytes(comment);
    return bytes;
}

void WriteLayoutFile(TProject& project, const std::string& path, const WriteOptions& options)
{
    if (project.StoreLiveState)
        if (TBoard* current = project.currentBoard())
            project.StoreLiveState(*current);
    const std::vector<std::uint8_t> bytes = EncodeLayoutFile(project);
    WriteFileAtomically(path, bytes, options);
}

void SaveProject(TProject& project, const std::string& path, const WriteOptions& options)
{
    WriteLayoutFile(project, path, options);
    project.FileName = path;
    project.Modified = false;
}

// ---------------------------------------------------------------------------------------------
// Macro files

MacroFileContent ParseMacroFile(std::span<const std::uint8_t> bytes, const std::string& name, double grid,
                                FontTextConverter convert)
{
    MacroFileContent content;
    content.version = FileVersionOf(bytes, name);
    ByteReader in(bytes, name);
    in.skip(4);
    ReadElementBlock(in, content.version, content.elements);
    if (content.version >= 4) {
        content.line1 = in.shortString(MaxMacroLine);
        content.line2 = in.shortString(MaxMacroLine);
    }
    ElementList& list = content.elements;
    // References are cleaned before the old font texts are replaced, so none can point at one.
    RepairLoadedElements(list);
    if (convert)
        convert(list, grid);
    // Macro files may carry the layer codes 5 and 6, which stand for 3 and 2.
    const auto mapLayer = [](std::uint8_t& layer) {
        if (layer == 5)
            layer = LayerK2;
        else if (layer == 6)
            layer = LayerB1;
    };
    for (auto& e : list) {
        mapLayer(e->Layer);
        for (TObjekt& s : e->Strokes)
            mapLayer(s.Layer);
    }
    makeListSafe(list, content.version);
    return content;
}

MacroFileContent ReadMacroFile(const std::string& path, double grid, FontTextConverter convert)
{
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    return ParseMacroFile(bytes, withoutFolder(path), grid, convert);
}

std::vector<std::uint8_t> EncodeMacroFile(const ElementList& elements, const std::string& line1,
                                          const std::string& line2)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(4 + estimateSize(elements) + 2 * (MaxMacroLine + 1));
    ByteWriter out(bytes);
    out.u32(FileMagic + NewestFileVersion);
    WriteElementBlock(out, elements);
    out.shortString(line1, MaxMacroLine);
    out.shortString(line2, MaxMacroLine);
    return bytes;
}

void WriteMacroFile(const std::string& path, const ElementList& elements, const std::string& line1,
                    const std::string& line2)
{
    WriteFileAtomically(path, EncodeMacroFile(elements, line1, line2));
}

} // namespace trevok
