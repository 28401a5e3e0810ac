#include "document/project.h"

#include "document/messages.h"
#include "document/pointermap.h"
#include "document/undo.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_set>
#include <utility>

namespace trevok
{
namespace
{

void cutTo(std::string& s, std::size_t limit)
{
    if (s.size() > limit)
        s.resize(limit);
}

bool isBoardLayer(int n) noexcept
{
    return n >= LayerK1 && n <= LayerB2;
}

/// Sets snapshots suspended for the lifetime of the guard and restores the previous state, so
/// that a switch inside an operation that suspended them already does not resume them early.
class SuspendSnapshots
{
  public:
    explicit SuspendSnapshots(TProject& p) : project_(p), previous_(p.SnapshotsSuspended)
    {
        project_.SnapshotsSuspended = true;
    }
    ~SuspendSnapshots() { project_.SnapshotsSuspended = previous_; }
    SuspendSnapshots(const SuspendSnapshots&) = delete;
    SuspendSnapshots& operator=(const SuspendSnapshots&) = delete;

  private:
    TProject& project_;
    bool previous_;
};

/// Moves the current board from its place to target, keeping it current.
bool moveCurrentBoardTo(TProject& project, int target)
{
    const int from = project.Current;
    const int count = static_cast<int>(project.Boards.size());
    if (from < 0 || from >= count || target < 0 || target >= count || target == from)
        return false;
    auto first = project.Boards.begin();
    if (target < from)
        std::rotate(first + target, first + from, first + from + 1);
    else
        std::rotate(first + from, first + from + 1, first + target + 1);
    project.Current = target;
    project.Modified = true;
    return true;
}

void setLayerOf(TObjekt& e, std::uint8_t layer, bool& changed)
{
    if (e.Layer != layer) {
        e.Layer = layer;
        changed = true;
    }
    // The strokes of a layout text are drawn and exported on their own layer: they follow the text.
    for (TObjekt& stroke : e.Strokes)
        stroke.Layer = layer;
}

bool anySelected(const ElementList& list) noexcept
{
    return std::any_of(list.begin(), list.end(), [](const auto& e) { return e->Selected != 0; });
}

} // namespace

std::string DefaultBoardName(LanguageCode language, int n)
{
    static const char* const prefixes[] = {"Platine ", "Board ", "Carte "};
    const char* prefix = language >= 0 && language <= 2 ? prefixes[language] : prefixes[1];
    return prefix + std::to_string(n);
}

// ---------------------------------------------------------------------------------------------
// Boards

TBoard& NewBoard(TProject& project, std::string name)
{
    cutTo(name, MaxBoardNameBytes);
    auto board = std::make_unique<TBoard>();
    board->Name = std::move(name);
    project.Boards.push_back(std::move(board));
    const int index = static_cast<int>(project.Boards.size()) - 1;
    ShowBoard(project, index);
    return *project.Boards[index];
}

void ShowBoard(TProject& project, int index)
{
    if (index < 0 || index >= static_cast<int>(project.Boards.size()))
        return;
    SuspendSnapshots suspended(project);
    if (TBoard* old = project.currentBoard(); old && project.StoreLiveState)
        project.StoreLiveState(*old);
    project.Current = index;
    TBoard& board = *project.Boards[index];
    // The active layer is always visible, whatever the record says.
    if (isBoardLayer(board.ActiveLayer))
        board.LayerVisible[board.ActiveLayer - 1] = 1;
    if (project.LoadLiveState)
        project.LoadLiveState(board);
    if (project.HistoryChanged)
        project.HistoryChanged();
}

TBoard& AddBoard(TProject& project, LanguageCode language)
{
    TBoard& board =
        NewBoard(project, DefaultBoardName(language, static_cast<int>(project.Boards.size()) + 1));
    project.Modified = true;
    return board;
}

void checkBoardDeletable(const TProject& project)
{
    if (project.Boards.size() < 2)
        throw TrevokError(MsgId::LastBoardNotDeleted);
}

bool RemoveBoard(TProject& project, int index, bool closing)
{
    const int count = static_cast<int>(project.Boards.size());
    if (index < 0 || index >= count)
        return false;
    const bool wasCurrent = index == project.Current;
    if (wasCurrent)
        project.Current = -1; // nothing to store into a board that is going away
    else if (index < project.Current)
        --project.Current;
    project.Boards.erase(project.Boards.begin() + index);
    if (closing)
        return true;
    if (wasCurrent && !project.Boards.empty())
        ShowBoard(project, std::min(index, static_cast<int>(project.Boards.size()) - 1));
    project.Modified = true;
    return true;
}

bool moveBoardToEnd(TProject& project)
{
    return moveCurrentBoardTo(project, static_cast<int>(project.Boards.size()) - 1);
}

bool moveBoardRight(TProject& project)
{
    return moveCurrentBoardTo(project, project.Current + 1);
}

bool moveBoardToStart(TProject& project)
{
    return moveCurrentBoardTo(project, 0);
}

bool moveBoardLeft(TProject& project)
{
    return moveCurrentBoardTo(project, project.Current - 1);
}

bool NeedsSaveQuestion(const TProject& project) noexcept
{
    const TBoard* board = project.currentBoard();
    const bool hasContent = (board && !board->Elements.empty()) || project.Boards.size() > 1;
    return hasContent && project.Modified;
}

void ClearProject(TProject& project)
{
    project.Current = -1;
    while (!project.Boards.empty())
        RemoveBoard(project, 0, true);
    project.Info = TProjectInfo{};
    project.Modified = false;
    if (project.HistoryChanged)
        project.HistoryChanged();
}

void startNewProject(TProject& project, LanguageCode language)
{
    ClearProject(project);
    NewBoard(project, DefaultBoardName(language, 1));
    project.FileName.clear();
    project.Modified = false;
}

// ---------------------------------------------------------------------------------------------
// Board properties

double parseMillimetres(const std::string& text) noexcept
{
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return 0.0;
    std::size_t end = text.find_last_not_of(" \t") + 1;
    std::string number = text.substr(begin, end - begin);
    std::replace(number.begin(), number.end(), ',', '.'); // German users type a decimal comma
    const char* first = number.data();
    const char* last = first + number.size();
    if (*first == '+')
        ++first;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (ec != std::errc{} || ptr != last || !std::isfinite(value))
        return 0.0;
    return value;
}

BoardSize parseBoardSize(const std::string& widthText, const std::string& heightText)
{
    const double width = parseMillimetres(widthText);
    const double height = parseMillimetres(heightText);
    auto inRange = [](double mm) { return mm >= 1.0 && mm <= 300.0; };
    if (!inRange(width) || !inRange(height))
        throw TrevokError(MsgId::BoardSizeRange);
    return BoardSize{RoundHalfEven(width) * 100, RoundHalfEven(height) * 100};
}

void applyBoardProperties(TProject& project, BoardSize size, std::string name)
{
    TBoard* board = project.currentBoard();
    if (!board)
        return;
    cutTo(name, MaxBoardNameBytes);
    board->BoardWidth = size.Width;
    board->BoardHeight = size.Height;
    board->Name = std::move(name);
    project.Modified = true;
}

// ---------------------------------------------------------------------------------------------
// Project information

TProjectInfo limitProjectInfo(TProjectInfo info)
{
    cutTo(info.Title, MaxInfoFieldBytes);
    cutTo(info.Author, MaxInfoFieldBytes);
    cutTo(info.Company, MaxInfoFieldBytes);
    cutTo(info.Comment, MaxInfoCommentBytes);
    return info;
}

bool setProjectInfo(TProject& project, TProjectInfo info)
{
    info = limitProjectInfo(std::move(info));
    const TProjectInfo& old = project.Info;
    if (info.Title == old.Title && info.Author == old.Author && info.Company == old.Company &&
        info.Comment == old.Comment)
        return false;
    project.Info = std::move(info);
    project.Modified = true;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Layers

bool SetActiveLayer(TBoard& board, int n)
{
    if (!isBoardLayer(n) || board.ActiveLayer == n)
        return false;
    board.LayerVisible[n - 1] = 1;
    board.ActiveLayer = static_cast<std::uint8_t>(n);
    return true;
}

bool ToggleLayerVisible(TBoard& board, int n)
{
    if (!isBoardLayer(n) || board.ActiveLayer == n)
        return false;
    ElementList& list = board.Elements;
    // Deselecting with group and twin scans the whole list for a grouped element; on a large board
    // that is only affordable for the groups that still hold a selected member (or a member whose
    // twin is selected). Deselecting only ever shrinks that set, so the test stays valid while
    // the loop runs.
    std::unordered_set<std::int32_t> groupsWithSelection;
    for (const auto& e : list)
        if (e->lastGroup() != 0 && (e->Selected || (e->Twin && e->Twin->Selected)))
            groupsWithSelection.insert(e->lastGroup());
    const auto noop = [](TObjekt&) {};
    for (std::size_t i = 0; i < list.size(); ++i) {
        const TObjekt& e = *list[i];
        if (e.Layer != n)
            continue;
        const std::int32_t g = e.lastGroup();
        if (e.Selected || (e.Twin && e.Twin->Selected) || (g != 0 && groupsWithSelection.count(g))) {
            SelectWithGroup(list, i, false, noop);
            if (g != 0)
                groupsWithSelection.erase(g);
        }
    }
    board.LayerVisible[n - 1] = board.LayerVisible[n - 1] ? 0 : 1;
    return true;
}

bool IsLayerVisible(const TBoard& board, int n) noexcept
{
    if (n == 5 || n == 6)
        return true;
    return isBoardLayer(n) && board.LayerVisible[n - 1] != 0;
}

bool GroundPlaneOn(const TBoard& board, int layer) noexcept
{
    return (layer == LayerK1 || layer == LayerB1 ? board.GroundPlane1 : board.GroundPlane2) != 0;
}

bool moveSelectionToOtherSide(TProject& project)
{
    TBoard* board = project.currentBoard();
    if (!board || !anySelected(board->Elements))
        return false;
    PushUndo(project);
    bool changed = false;
    for (auto& e : board->Elements)
        if (e->Selected)
            setLayerOf(*e, OppositeLayer(e->Layer), changed);
    return changed;
}

std::uint8_t setToLayerTarget(const TObjekt& e, std::uint8_t chosen, bool laterOfPair) noexcept
{
    if (laterOfPair)
        return OppositeLayer(chosen);
    if (e.Kind == KindArea && e.Restricted && (chosen == LayerB1 || chosen == LayerB2))
        return static_cast<std::uint8_t>(chosen - 1);
    return chosen;
}

bool setSelectionLayer(TProject& project, int layer)
{
    TBoard* board = project.currentBoard();
    if (!board || !isBoardLayer(layer) || !anySelected(board->Elements))
        return false;
    PushUndo(project);
    const auto chosen = static_cast<std::uint8_t>(layer);
    // Pads seen so far that have a twin: a pad whose twin is among them is the later of its pair.
    PointerMap<bool> earlierPads(board->Elements.size());
    bool changed = false;
    for (auto& e : board->Elements) {
        const bool laterOfPair = e->Kind == KindPad && e->Twin && earlierPads.find(e->Twin);
        if (e->Kind == KindPad && e->Twin)
            earlierPads.insert(e.get(), true);
        if (e->Selected)
            setLayerOf(*e, setToLayerTarget(*e, chosen, laterOfPair), changed);
    }
    return changed;
}

} // namespace trevok
