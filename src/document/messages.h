#pragma once
// Messages of the core in the three languages, and the error type that carries them to the edge.
// The core never shows anything: the window turns a message into a message box, the command-line
// tool prints it.

#include <stdexcept>
#include <string>
#include <vector>

namespace trevok
{

enum class MsgId {
    NotATrevokFile, // arg 0: file name without folder
    FileNotFound,
    ReadError,  // arg 0: file name, arg 1: detail (offset)
    WriteError, // arg 0: file name, arg 1: system reason
    OlderVersion,
    FontTextQuestion, // arg 0: count
    FontTextsConverted,
    TextNotGenerated,
    LastBoardNotDeleted,
    BoardSizeRange,
    SaveQuestion,
    DeleteBoardQuestion, // arg 0: board name
    MacroBoardEmpty,
    MacroSaveWholeBoard,
    MacroDeleteQuestion, // arg 0: file name without folder
    WriteProtected,      // arg 0: file name
    HardLinked,          // arg 0: file name, arg 1: number of names
    OutOfMemory,
    CommandFailed, // arg 0: what failed (the exception's text)
    MillLayerEmpty,
    OutlineNothingSelected,
    MillProblem,       // arg 0: position
    MillProblems,      // arg 0: count, arg 1: positions
    MillTextCrossing,  // arg 0: position
    MillTextCrossings, // arg 0: count, arg 1: positions
    MillPlaneJoin,     // arg 0: position
    MillPlaneJoins,    // arg 0: count, arg 1: positions
    MillCancelled,
    ImageTooLarge,    // arg 0: width, arg 1: height in pixels
    ImageWriteFailed, // arg 0: format, arg 1: detail
    PdfNotMade,
    // Texts the core writes into files; no message box shows them (their caption is "Trevok").
    FabCopper1, // the layers of the fabrication set, as its list names them
    FabCopper2,
    FabPrint1,
    FabPrint2,
    FabMask1,
    FabMask2,
    FabOutline,
    FabDrill,
    FabFileList,
    FabOutlineLayerName, // the outline layer's name inside its Gerber file
    FabListTitle,        // arg 0: program version, arg 1: board name
    FabListSize,         // arg 0: width, arg 1: height in mm
    FabListFrame,
    DrillFileName,            // the milling drill file, without extension
    DrillFileNameForDiameter, // arg 0: drill diameter in units
    OutlineFileName,          // the G-code board outline file, without extension
};

/// The text of a message in a language (0 German, 1 English, 2 French), UTF-8, with the
/// arguments put in. Line breaks are "\r" as in the message boxes.
std::string MessageText(MsgId id, int language, const std::vector<std::string>& args = {});
/// The caption of the message box that shows the message.
std::string MessageCaption(MsgId id, int language);

/// A failure of a core operation: what went wrong as a message id and its arguments.
class TrevokError : public std::runtime_error
{
  public:
    TrevokError(MsgId id, std::vector<std::string> args = {});
    MsgId id;
    std::vector<std::string> args;
};

} // namespace trevok
