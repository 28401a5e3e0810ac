#pragma once
// Layout files (*.lay: all boards of a project) and macro files (*.lmk: a list of elements with
// two comment lines). Versions 0 to 4 are read; version 4 is written.
//
// Reading works on a byte buffer (ParseLayoutFile, ParseMacroFile) so that tests and fuzzers
// need no files; ReadLayoutFile and ReadMacroFile add the file and, for layouts, the project.
// Nothing here shows anything: questions and notices are returned as message ids for the
// window to show in order.

#include "document/atomicfile.h"
#include "document/messages.h"
#include "document/objekt.h"
#include "document/project.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trevok
{

/// The first four bytes of both file kinds: 0xFFAA3300 + version.
inline constexpr std::uint32_t FileMagic = 0xFFAA3300u;
inline constexpr int NewestFileVersion = 4;

/// Field limits; longer strings in foreign files are cut to them on reading, and every string
/// is cut to them on writing.
inline constexpr std::size_t MaxBoardName = 30;
inline constexpr std::size_t MaxTemplateFile = 200;
inline constexpr std::size_t MaxProjectString = 100;
inline constexpr std::size_t MaxProjectComment = 1900;
inline constexpr std::size_t MaxMacroLine = 50;

/// The version of a layout or macro file, from its first bytes; throws TrevokError
/// NotATrevokFile {file name without folder} when they are no header of version 0..4.
int FileVersionOf(std::span<const std::uint8_t> bytes, const std::string& path);

/// Checks the header of a file: returns its version, or throws TrevokError FileNotFound when
/// the file does not exist and NotATrevokFile {file name without folder} when it is no layout
/// or macro file of version 0..4.
int CheckLayoutFile(const std::string& path);
/// The same check as a yes/no answer.
bool IsLayoutFile(const std::string& path) noexcept;

/// A layout file decoded from bytes, before anything is put into a project.
/// Every board in it is complete and safe to use: its values are made sane (see layoutfile.cpp),
/// its twin links are mutual, tracks and areas have two nodes or more, no reference dangles,
/// and its group ids are compacted.
struct LayoutFileContent {
    int version = 0;
    std::vector<std::unique_ptr<TBoard>> boards;
    /// The board shown when the file was saved, as stored (versions 3 and 4; not checked).
    std::optional<std::int32_t> shownIndex;
    /// Title, author, company and comment (version 4).
    std::optional<TProjectInfo> info;
    /// Set when reading stopped early (file ends early, an index outside its element block,
    /// an impossible count); boards holds the boards completed before the failure.
    std::optional<TrevokError> error;
};

/// Decodes a layout file held in memory. name is used in messages. language names the board of
/// versions 0-2 ("Platine 1", "Board 1", "Carte 1"). appending: the file is read for Reload
/// boards, which does not need the trailing shown-board index of version 3 (it is not read).
/// Throws TrevokError NotATrevokFile for a wrong header; every later failure is returned in
/// error together with the boards completed before.
LayoutFileContent ParseLayoutFile(std::span<const std::uint8_t> bytes, const std::string& name,
                                  LanguageCode language, bool appending = false);

/// One message the window shows after loading, in order.
struct FileNotice {
    MsgId id;
    std::vector<std::string> args;
};

/// What ReadLayoutFile did, with what the window needs to finish the command.
struct LayoutReadResult {
    int version = 0;
    /// Versions 0-3: the notice MsgId::OlderVersion is due (copper layers were exchanged).
    bool olderVersion = false;
    /// Old font texts (kind 3) on all boards of the project; when above 0 the window asks
    /// MsgId::FontTextQuestion {count} and, on Yes, converts them (edit/layouttext.h).
    int fontTextCount = 0;
    /// The document's modified state after the command (also set on the project).
    bool modified = false;
    /// Boards added to the project and the position of the first of them.
    int boardsAdded = 0;
    int firstNewBoard = 0;
    /// Reading stopped with this error; the boards completed before are in the project.
    std::optional<TrevokError> error;

    /// The notices due after loading, in the order the window shows them: the font-text
    /// question first, then the older-version notice.
    std::vector<FileNotice> notices() const;
};

/// Reads a layout file into the project.
/// appendOnly false (Open): the project is replaced by the file's boards, its information and
/// shown board are taken over, and FileName becomes path; the document is not modified.
/// appendOnly true (Reload boards): the boards are appended, the shown-board index and the
/// project information of the file are not applied, the last appended board becomes current
/// and the document is modified.
/// The live state hooks of the project are honoured: when appending, StoreLiveState saves the
/// board that was current before; at the end LoadLiveState gets the new current board.
/// Throws TrevokError FileNotFound or NotATrevokFile, leaving the project untouched. A file
/// that is damaged after its header is not thrown: result.error says where reading stopped,
/// and the boards completed before it are in the project (after Open then without a file name
/// and modified, so that the partial project is never saved over the damaged file unasked).
LayoutReadResult ReadLayoutFile(TProject& project, const std::string& path, bool appendOnly,
                                LanguageCode language);

/// The version-4 encoding of a project: every board in order, the current board as the shown
/// one, the project information. Strings are cut to their fields.
std::vector<std::uint8_t> EncodeLayoutFile(const TProject& project);

/// Writes the project as a version-4 layout file, replacing path atomically (atomicfile.h).
/// The current board's live state is first stored into its record (StoreLiveState), so that the
/// file holds it. Returns normally only when the file is completely on the disk; throws
/// TrevokError WriteError {path, reason} otherwise. File name and modified mark are left to the
/// caller (autosave keeps both, Save sets them: see SaveProject).
void WriteLayoutFile(TProject& project, const std::string& path, const WriteOptions& options = {});

/// Save and Save as: WriteLayoutFile, then path becomes the project's file name and the
/// document is not modified. Throws like WriteLayoutFile, changing nothing then.
void SaveProject(TProject& project, const std::string& path, const WriteOptions& options = {});

// ---------------------------------------------------------------------------------------------
// Macro files

/// A macro file's elements and its two comment lines (empty for versions below 4).
struct MacroFileContent {
    int version = 0;
    ElementList elements;
    std::string line1;
    std::string line2;
};

/// Replaces the old font texts of a list by layout texts (grid: the snap grid their rotation
/// centre is put on). The editing code has it (ConvertMacroFontTexts); it is passed in, so that
/// reading files does not depend on the stroke font.
using FontTextConverter = void (*)(ElementList& list, double grid);

/// Decodes a macro file held in memory: header, element block of its version, comment lines.
/// Old font texts are turned into layout texts without asking when a converter is given (else
/// they stay as they are), elements on layer 5 go to layer 3 and on layer 6 to layer 2, and the
/// list is made safe like a board's (twins, short tracks and areas, group ids).
/// A pad's TwinIndex holds the position of its twin in elements, or -1.
/// Throws TrevokError NotATrevokFile or ReadError; nothing is returned then.
MacroFileContent ParseMacroFile(std::span<const std::uint8_t> bytes, const std::string& name,
                                double grid = 254.0, FontTextConverter convert = nullptr);
/// The same from a file; throws FileNotFound when there is none.
MacroFileContent ReadMacroFile(const std::string& path, double grid = 254.0,
                               FontTextConverter convert = nullptr);

/// The version-4 encoding of a macro: header, element block, the two lines cut to 50 bytes.
std::vector<std::uint8_t> EncodeMacroFile(const ElementList& elements, const std::string& line1,
                                          const std::string& line2);
/// Writes a macro file atomically; throws TrevokError WriteError.
void WriteMacroFile(const std::string& path, const ElementList& elements, const std::string& line1,
                    const std::string& line2);

} // namespace trevok
