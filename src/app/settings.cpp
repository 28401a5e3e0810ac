#include "app/settings.h"

#include "document/filenames.h"

#include "view/texts.h"
#include "view/userfolder.h"

#include <QDir>
#include <QFileInfo>

namespace trevok
{
namespace
{

const QString kOptions = QStringLiteral("Optionen");
const QString kFolders = QStringLiteral("Ordner");
const QString kHistory = QStringLiteral("History");
const QString kMilling = QStringLiteral("Fraesen");
const QString kWindows = QStringLiteral("Fenster");

int clampInt(int value, int low, int high)
{
    return value < low ? low : (value > high ? high : value);
}

// User grid captions are stored as shown, with six leading blanks; the blanks are not kept
// through every INI reader, so they are put back on reading.
QString gridCaption(const QString& stored)
{
    return QStringLiteral("      ") + stored.trimmed();
}

} // namespace

Settings DefaultSettings()
{
    Settings s;
    const QString home = QDir::homePath();
    s.folders = WorkingFolders{home, home, home, home, home};
    s.macroRoot = UserFilePath(QStringLiteral("Makros"));
    s.macroSubFolder = QStringLiteral("...");
    return s;
}

std::vector<ParameterEntry> ReadParameterList(const IniFile& ini, const QString& section, int firstIndex,
                                              bool withTag)
{
    std::vector<ParameterEntry> entries;
    for (int n = firstIndex;; ++n) {
        const QString t = QStringLiteral("T%1").arg(n);
        const QString s = QStringLiteral("S%1").arg(n);
        ParameterEntry entry;
        if (withTag) {
            if (!ini.hasKey(section, t))
                break;
            entry.tag = ini.readInteger(section, t, 0);
            entry.caption = ini.readString(section, s);
        } else {
            entry.caption = ini.readString(section, s);
            if (entry.caption.isEmpty())
                break;
        }
        entries.push_back(entry);
    }
    return entries;
}

void WriteParameterList(IniFile& ini, const QString& section, const std::vector<ParameterEntry>& entries,
                        int firstIndex, bool withTag)
{
    ini.eraseSection(section);
    int n = firstIndex;
    for (const ParameterEntry& entry : entries) {
        if (withTag)
            ini.writeInteger(section, QStringLiteral("T%1").arg(n), entry.tag);
        ini.writeString(section, QStringLiteral("S%1").arg(n), entry.caption);
        ++n;
    }
}

namespace
{

const QString kDesignCheck = QStringLiteral("Designpruefung");

/// The rules with their keys, so that reading and writing cannot disagree.
std::array<std::pair<const char*, std::int32_t DesignRules::*>, 8> designRuleKeys()
{
    return {{{"Abstand", &DesignRules::gap},
             {"Leiterbreite", &DesignRules::width},
             {"SMDSeite", &DesignRules::smdSide},
             {"Restring", &DesignRules::ring},
             {"BohrungMin", &DesignRules::drillMin},
             {"BohrungMax", &DesignRules::drillMax},
             {"Rand", &DesignRules::edge},
             {"Fraeser", &DesignRules::mill}}};
}

void readDesignCheck(const IniFile& ini, Settings& s)
{
    const DesignRules d;
    for (const auto& [key, field] : designRuleKeys()) {
        // Hand-edited values outside what the window can show fall back to the default.
        const int v = ini.readInteger(kDesignCheck, QString::fromLatin1(key), d.*field);
        s.designRules.*field = v >= 0 && v <= (field == &DesignRules::mill ? 499 : 5000) ? v : d.*field;
    }
    if (s.designRules.drillMin > s.designRules.drillMax)
        std::swap(s.designRules.drillMin, s.designRules.drillMax);
    s.checkBeforeExport = ini.readBool(kDesignCheck, QStringLiteral("VorExport"), true);
}

void writeDesignCheck(IniFile& ini, const Settings& s)
{
    for (const auto& [key, field] : designRuleKeys())
        ini.writeInteger(kDesignCheck, QString::fromLatin1(key), s.designRules.*field);
    ini.writeBool(kDesignCheck, QStringLiteral("VorExport"), s.checkBeforeExport);
}

} // namespace

Settings ReadSettings(const IniFile& ini)
{
    const Settings d = DefaultSettings();
    Settings s;
    s.hintsShown = ini.readBool(kOptions, QStringLiteral("Kurzhilfe"), d.hintsShown);
    s.zoomAtCursor = ini.readBool(kOptions, QStringLiteral("ZoomAmMauszeiger"), d.zoomAtCursor);
    s.dragTracks = ini.readBool(kOptions, QStringLiteral("LeiterbahnenMitziehen"), d.dragTracks);
    s.macroPanelShown = ini.readBool(kOptions, QStringLiteral("Makro"), d.macroPanelShown);
    s.autoSave = ini.readBool(kOptions, QStringLiteral("AutoSave"), d.autoSave);
    // A zero or negative interval would make the timer fire without pause and save endlessly.
    s.autoSaveTime = clampInt(ini.readInteger(kOptions, QStringLiteral("AutoSaveTime"), d.autoSaveTime),
                              MinAutoSaveMs, MaxAutoSaveMs);
    s.colourScheme = ini.readInteger(kOptions, QStringLiteral("Farbschema"), d.colourScheme);
    if (s.colourScheme < 0 || s.colourScheme > 3)
        s.colourScheme = d.colourScheme;
    s.boardZoomShown = ini.readBool(kOptions, QStringLiteral("PlatinenZoom"), d.boardZoomShown);
    // d + 1 snapshots are kept; the default 50 is the largest value the program ever writes.
    s.undoDepth = clampInt(ini.readInteger(kOptions, QStringLiteral("Undo"), d.undoDepth), 0, 50);
    s.gridMarking = ini.readInteger(kOptions, QStringLiteral("RasterMarkierung"), d.gridMarking);
    if (s.gridMarking != 0 && s.gridMarking != 2 && s.gridMarking != 4 && s.gridMarking != 5 &&
        s.gridMarking != 10)
        s.gridMarking = d.gridMarking;
    s.gridVisible = ini.readBool(kOptions, QStringLiteral("RasterSichtbar"), d.gridVisible);

    s.folders.layout = PathFromStored(ini.readString(kFolders, QStringLiteral("Layout"), d.folders.layout));
    s.folders.gerber = PathFromStored(ini.readString(kFolders, QStringLiteral("Gerber"), d.folders.gerber));
    s.folders.bitmap = PathFromStored(ini.readString(kFolders, QStringLiteral("Bitmap"), d.folders.bitmap));
    s.folders.templates =
        PathFromStored(ini.readString(kFolders, QStringLiteral("Vorlage"), d.folders.templates));
    s.folders.plt = PathFromStored(ini.readString(kFolders, QStringLiteral("PLT"), d.folders.plt));
    s.macroRoot = PathFromStored(ini.readString(kFolders, QStringLiteral("Makro"), d.macroRoot));
    s.macroSubFolder =
        PathFromStored(ini.readString(kFolders, QStringLiteral("MakroOrdner"), d.macroSubFolder));
    for (int i = 0; i < 4; ++i)
        s.recentFiles[i] = PathFromStored(ini.readString(kHistory, QStringLiteral("D%1").arg(i + 1)));

    s.trackWidths = ReadParameterList(ini, QStringLiteral("L_POPUP"), 0, true);
    s.userGrids = ReadParameterList(ini, QStringLiteral("R_POPUP"), FirstUserGridIndex, true);
    for (ParameterEntry& grid : s.userGrids)
        grid.caption = gridCaption(grid.caption);
    s.padSizes = ReadParameterList(ini, QStringLiteral("LA_POPUP"), 0, false);
    s.smdSizes = ReadParameterList(ini, QStringLiteral("SMD_POPUP"), 0, false);
    for (const QString& key : ini.keys(kMilling))
        s.millingDialogs.emplace_back(key, ini.readString(kMilling, key));
    if (ini.hasKey(kWindows, QStringLiteral("AutoRouterX")) &&
        ini.hasKey(kWindows, QStringLiteral("AutoRouterY")))
        s.routerWindowPlace = QPoint(ini.readInteger(kWindows, QStringLiteral("AutoRouterX"), 0),
                                     ini.readInteger(kWindows, QStringLiteral("AutoRouterY"), 0));
    readDesignCheck(ini, s);
    return s;
}

void WriteRecentFiles(IniFile& ini, const std::array<QString, 4>& recentFiles)
{
    for (int i = 0; i < 4; ++i)
        ini.writeString(kHistory, QStringLiteral("D%1").arg(i + 1), StoredPath(recentFiles[i]));
}

void WriteSettings(IniFile& ini, const Settings& s)
{
    ini.writeBool(kOptions, QStringLiteral("Kurzhilfe"), s.hintsShown);
    ini.writeBool(kOptions, QStringLiteral("ZoomAmMauszeiger"), s.zoomAtCursor);
    ini.writeBool(kOptions, QStringLiteral("LeiterbahnenMitziehen"), s.dragTracks);
    ini.writeBool(kOptions, QStringLiteral("Makro"), s.macroPanelShown);
    ini.writeBool(kOptions, QStringLiteral("AutoSave"), s.autoSave);
    ini.writeInteger(kOptions, QStringLiteral("AutoSaveTime"), s.autoSaveTime);
    ini.writeInteger(kOptions, QStringLiteral("Farbschema"), s.colourScheme);
    ini.writeBool(kOptions, QStringLiteral("PlatinenZoom"), s.boardZoomShown);
    ini.writeInteger(kOptions, QStringLiteral("Undo"), s.undoDepth);
    ini.writeInteger(kOptions, QStringLiteral("RasterMarkierung"), s.gridMarking);
    ini.writeBool(kOptions, QStringLiteral("RasterSichtbar"), s.gridVisible);

    ini.writeString(kFolders, QStringLiteral("Layout"), StoredPath(s.folders.layout));
    ini.writeString(kFolders, QStringLiteral("Gerber"), StoredPath(s.folders.gerber));
    ini.writeString(kFolders, QStringLiteral("Bitmap"), StoredPath(s.folders.bitmap));
    ini.writeString(kFolders, QStringLiteral("Vorlage"), StoredPath(s.folders.templates));
    ini.writeString(kFolders, QStringLiteral("PLT"), StoredPath(s.folders.plt));
    ini.writeString(kFolders, QStringLiteral("Makro"), StoredPath(s.macroRoot));
    ini.writeString(kFolders, QStringLiteral("MakroOrdner"), StoredPath(s.macroSubFolder));
    WriteRecentFiles(ini, s.recentFiles);

    WriteParameterList(ini, QStringLiteral("L_POPUP"), s.trackWidths, 0, true);
    WriteParameterList(ini, QStringLiteral("R_POPUP"), s.userGrids, FirstUserGridIndex, true);
    WriteParameterList(ini, QStringLiteral("LA_POPUP"), s.padSizes, 0, false);
    WriteParameterList(ini, QStringLiteral("SMD_POPUP"), s.smdSizes, 0, false);
    ini.eraseSection(kMilling);
    for (const auto& [key, value] : s.millingDialogs)
        ini.writeString(kMilling, key, value);
    if (s.routerWindowPlace) {
        ini.writeInteger(kWindows, QStringLiteral("AutoRouterX"), s.routerWindowPlace->x());
        ini.writeInteger(kWindows, QStringLiteral("AutoRouterY"), s.routerWindowPlace->y());
    }
    writeDesignCheck(ini, s);
}

SettingsFile::SettingsFile(const QString& path)
    : ini_(path.isEmpty() ? UserFilePath(QStringLiteral("TREVOK40.INI")) : path)
{
}

Settings SettingsFile::read()
{
    const bool exists = QFileInfo::exists(ini_.path());
    ini_.load();
    Settings s = ReadSettings(ini_);
    s.firstStart = !exists;
    return s;
}

bool SettingsFile::writeAll(const Settings& settings)
{
    WriteSettings(ini_, settings);
    return ini_.save();
}

bool SettingsFile::writeRecentFiles(const std::array<QString, 4>& recentFiles)
{
    WriteRecentFiles(ini_, recentFiles);
    return ini_.save();
}

// ---------------------------------------------------------------------------------------------

std::optional<int> LanguageFromName(const QString& name)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("de"))
        return 0;
    if (n == QLatin1String("en"))
        return 1;
    if (n == QLatin1String("fr"))
        return 2;
    return std::nullopt;
}

int LanguageFromLocale(const QLocale& locale)
{
    switch (locale.language()) {
    case QLocale::German:
        return 0;
    case QLocale::French:
        return 2;
    default:
        return 1;
    }
}

std::optional<int> ReadLanguageFile(const QString& path)
{
    IniFile ini(path);
    if (!ini.load())
        return std::nullopt;
    const int code = ini.readInteger(QStringLiteral("Sprache"), QStringLiteral("Sprache"), -1);
    if (code < 0 || code > 2)
        return std::nullopt;
    return code;
}

int ChooseLanguage(std::optional<int> commandLine, const QString& languageFile, const QLocale& locale)
{
    if (commandLine && *commandLine >= 0 && *commandLine <= 2)
        return *commandLine;
    const QString file = languageFile.isEmpty() ? UserFilePath(QStringLiteral("SPRACHE.INI")) : languageFile;
    if (const auto fromFile = ReadLanguageFile(file))
        return *fromFile;
    return LanguageFromLocale(locale);
}

CommandLine ParseCommandLine(const QStringList& arguments)
{
    CommandLine result;
    qsizetype i = 0;
    const QString option = QStringLiteral("--language");
    while (i < arguments.size()) {
        const QString& arg = arguments[i];
        QString value;
        if (arg == QLatin1String("--")) {
            ++i;
            break;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            result.help = true;
            ++i;
            continue;
        }
        if (arg == QLatin1String("--version")) {
            result.version = true;
            ++i;
            continue;
        }
        if (arg == option) {
            if (i + 1 >= arguments.size()) {
                result.languageError = true;
                ++i;
                break;
            }
            value = arguments[i + 1];
            i += 2;
        } else if (arg.startsWith(option + QLatin1Char('='))) {
            value = arg.mid(option.size() + 1);
            ++i;
        } else {
            break;
        }
        if (const auto code = LanguageFromName(value)) {
            result.language = code;
        } else {
            result.languageError = true;
            result.badLanguage = value;
        }
    }
    result.filePath = arguments.mid(i).join(QLatin1Char(' '));
    return result;
}

QString UsageText()
{
    return T("Aufruf: trevok [--language de|en|fr] [LAYOUT-DATEI]\n"
             "Startet den Platinen-Editor und öffnet die Layout-Datei (*.lay), wenn eine genannt ist.\n"
             "  --language de|en|fr  Sprache der Oberfläche\n"
             "  --help, -h           diese Hilfe\n"
             "  --version            Version ausgeben\n"
             "Ausgaben ohne Fenster (Gerber, Bohrdaten, Bilder): trevok-cli --help\n",
             "Usage: trevok [--language de|en|fr] [LAYOUT-FILE]\n"
             "Starts the board editor and opens the layout file (*.lay) when one is named.\n"
             "  --language de|en|fr  language of the user interface\n"
             "  --help, -h           this help\n"
             "  --version            print the version\n"
             "Output without a window (Gerber, drill data, images): trevok-cli --help\n",
             "Usage : trevok [--language de|en|fr] [FICHIER-TRACÉ]\n"
             "Lance l´éditeur de circuits et ouvre le fichier de tracé (*.lay) s´il est indiqué.\n"
             "  --language de|en|fr  langue de l´interface\n"
             "  --help, -h           cette aide\n"
             "  --version            afficher la version\n"
             "Sorties sans fenêtre (Gerber, perçage, images) : trevok-cli --help\n");
}

bool DisplayAvailable(const QString& platform, const QString& x11Display, const QString& waylandDisplay)
{
    // The platform may carry options after a colon ("offscreen:fontengine=...").
    const QString name = platform.section(QLatin1Char(':'), 0, 0).trimmed();
    if (!name.isEmpty() && name != QLatin1String("xcb") && !name.startsWith(QLatin1String("wayland")))
        return true;
    if (name == QLatin1String("xcb"))
        return !x11Display.isEmpty();
    if (name.startsWith(QLatin1String("wayland")))
        return !waylandDisplay.isEmpty();
    return !x11Display.isEmpty() || !waylandDisplay.isEmpty();
}

} // namespace trevok
