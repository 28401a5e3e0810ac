#pragma once
// The settings file "TREVOK40.INI" in the per-user folder: every option, working folder and
// list the program keeps between runs, with its default; and the choice of the language.
//
// The whole file is read at start-up and written when the main window closes, except the
// recent files ([History]), which are written whenever they change. The four parameter-list
// sections are erased and written again whole.

#include "app/inifile.h"
#include "dialogs/workingfolders.h"
#include "output/designcheck.h"

#include <QLocale>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace trevok
{

/// One entry of a parameter list: the value (track width or grid in units) and its menu text.
/// The pad and SMD-pad lists keep only the text, from which their values are parsed.
struct ParameterEntry {
    int tag = 0;
    QString caption;
    bool operator==(const ParameterEntry&) const = default;
};

/// Autosave intervals the dialog can set: 1 to 60 whole minutes.
inline constexpr int MinAutoSaveMs = 60000;
inline constexpr int MaxAutoSaveMs = 3600000;
/// User grids start after the eight built-in entries of the grid list.
inline constexpr int FirstUserGridIndex = 8;

/// Everything kept in the settings file, with the defaults of a first run.
struct Settings {
    // [Optionen]
    bool hintsShown = true;       // Kurzhilfe
    bool macroPanelShown = false; // Makro
    bool autoSave = false;        // AutoSave
    int autoSaveTime = 300000;    // AutoSaveTime, ms
    int colourScheme = 0;         // Farbschema: 0 Standard, 1..3 User 1..3
    bool boardZoomShown = true;   // PlatinenZoom (navigator)
    int undoDepth = 50;           // Undo: d, the undo stack holds d + 1 snapshots
    int gridMarking = 4;          // RasterMarkierung: 0, 2, 4, 5 or 10
    bool gridVisible = true;      // RasterSichtbar
    bool zoomAtCursor = false;    // ZoomAmMauszeiger: the wheel keeps the point under the cursor
    bool dragTracks = true;       // LeiterbahnenMitziehen: moved pads take their track ends along
    // [Ordner]
    WorkingFolders folders; // Layout, Gerber, Bitmap, Vorlage, PLT
    QString macroRoot;      // Makro
    QString macroSubFolder; // MakroOrdner
    // [History] D1 (newest) .. D4
    std::array<QString, 4> recentFiles;
    // Parameter lists
    std::vector<ParameterEntry> trackWidths; // L_POPUP
    std::vector<ParameterEntry> userGrids;   // R_POPUP, captions with six leading blanks
    std::vector<ParameterEntry> padSizes;    // LA_POPUP, caption only
    std::vector<ParameterEntry> smdSizes;    // SMD_POPUP, caption only
    // [Fraesen]: the values of the milling dialogs, "<dialog>.<control>" = value
    std::vector<std::pair<QString, QString>> millingDialogs;
    // [Fenster] AutoRouterX, AutoRouterY: where the user last put the router window
    std::optional<QPoint> routerWindowPlace;
    /// No settings file was found: the program runs for the first time (not stored).
    bool firstStart = false;
    // [Designpruefung]: the rules in units, and whether exports for manufacturing check first
    DesignRules
        designRules; // Abstand, Leiterbreite, SMDSeite, Restring, BohrungMin, BohrungMax, Rand, Fraeser
    bool checkBeforeExport = true; // VorExport
};

/// The defaults: working folders at the user's home folder, macros in "Makros" of the per-user
/// folder, the macro sub-folder "...".
Settings DefaultSettings();

/// Reads every key; missing or unreadable keys give the defaults, and values outside what the
/// program can use (an undo depth of 500, an autosave interval of 0 ms, an unknown grid
/// marking) are brought back into range so that a hand-edited file cannot break the run.
Settings ReadSettings(const IniFile& ini);
/// Writes every key into ini (in memory); the list sections are erased and written again.
void WriteSettings(IniFile& ini, const Settings& settings);
/// Writes only [History] (in memory).
void WriteRecentFiles(IniFile& ini, const std::array<QString, 4>& recentFiles);

/// Reads a parameter-list section. Entries are numbered from firstIndex; reading stops at the
/// first missing T<n> when withTag is set, else at the first missing or empty S<n>.
std::vector<ParameterEntry> ReadParameterList(const IniFile& ini, const QString& section, int firstIndex,
                                              bool withTag);
/// Erases the section and writes the entries from firstIndex on (T<n> only when withTag).
void WriteParameterList(IniFile& ini, const QString& section, const std::vector<ParameterEntry>& entries,
                        int firstIndex, bool withTag);

/// The settings file of the run: "TREVOK40.INI" in the per-user folder, read once at start-up.
class SettingsFile
{
  public:
    /// path: the file; empty means UserFilePath("TREVOK40.INI").
    explicit SettingsFile(const QString& path = {});
    const QString& path() const noexcept { return ini_.path(); }

    /// Reads the file (a missing file gives the defaults).
    Settings read();
    /// Writes every key and list (at close). The file and its folder are created when missing.
    bool writeAll(const Settings& settings);
    /// Writes [History] at once.
    bool writeRecentFiles(const std::array<QString, 4>& recentFiles);
    const QString& lastError() const noexcept { return ini_.lastError(); }

  private:
    IniFile ini_;
};

// ---------------------------------------------------------------------------------------------
// Language

/// "de", "en", "fr" (any case) → 0, 1, 2.
std::optional<int> LanguageFromName(const QString& name);
/// German → 0, French → 2, anything else → 1.
int LanguageFromLocale(const QLocale& locale);
/// The key "Sprache" of section [Sprache] of a language file, when it is 0, 1 or 2.
std::optional<int> ReadLanguageFile(const QString& path);
/// The language of the run: the command line's choice, else the language file, else the
/// system locale. languageFile empty means UserFilePath("SPRACHE.INI").
int ChooseLanguage(std::optional<int> commandLine, const QString& languageFile, const QLocale& locale);

/// The editor's command line (without the program name): "--language de|en|fr" (or
/// "--language=xx") before the file name; all remaining arguments joined by single blanks form
/// the path of the layout file to open, so that a path with blanks needs no quotes.
struct CommandLine {
    std::optional<int> language;
    QString filePath;
    bool help = false;          // "--help" or "-h": print the usage and stop
    bool version = false;       // "--version": print the version and stop
    bool languageError = false; // a --language without a value or with an unknown one
    QString badLanguage;        // that value
};
CommandLine ParseCommandLine(const QStringList& arguments);
/// What "--help" prints, in the language of the run.
QString UsageText();
/// Whether a window can be shown at all: a platform other than the desktop ones is named
/// (offscreen, vnc, ...), or the X or Wayland display is set. Without one the program says so
/// instead of letting the platform plugin abort.
bool DisplayAvailable(const QString& platform, const QString& x11Display, const QString& waylandDisplay);

} // namespace trevok
