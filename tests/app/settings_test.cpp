// The settings file, the INI form it is kept in, and the choice of the language.
#include "app/settings.h"

#include "document/filenames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace trevok;

namespace
{

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(IniFile, ReadsTheWindowsFormWithCrLfCommentsQuotesAndAnyCase)
{
    IniFile ini;
    ini.parse("; written by hand\r\n[Optionen]\r\nKurzhilfe = 0\r\nUndo=12\r\nundo=40\r\n"
              "[Ordner]\r\nLayout=\"  /home/a b/  \"\r\n\r\n[optionen]\r\nMakro=1\r\n");
    EXPECT_FALSE(ini.readBool("OPTIONEN", "kurzhilfe", true));
    EXPECT_EQ(ini.readInteger("Optionen", "Undo", 50), 12) << "the first of two equal keys wins";
    EXPECT_TRUE(ini.readBool("Optionen", "Makro", false)) << "a repeated section continues the first";
    EXPECT_EQ(ini.readString("Ordner", "Layout"), "  /home/a b/  ");
    EXPECT_EQ(ini.sections(), QStringList({"Optionen", "Ordner"}));
}

TEST(IniFile, UnreadableNumbersGiveTheFallback)
{
    IniFile ini;
    ini.parse("[A]\nx=abc\ny=\nz=-7\n");
    EXPECT_EQ(ini.readInteger("A", "x", 5), 5);
    EXPECT_EQ(ini.readInteger("A", "y", 5), 5);
    EXPECT_EQ(ini.readInteger("A", "z", 5), -7);
    EXPECT_TRUE(ini.readBool("A", "x", true));
    EXPECT_EQ(ini.readInteger("B", "z", 3), 3);
}

TEST(IniFile, WindowsCodePageFilesAreReadAndUtf8IsWritten)
{
    IniFile ini;
    ini.parse(QByteArray("[History]\nD1=/tmp/Verst\xe4rker.lay\n"));
    EXPECT_EQ(ini.readString("History", "D1"), QString::fromUtf8("/tmp/Verstärker.lay"));
    ini.writeString("History", "D2", QString::fromUtf8("/tmp/Größe.lay"));
    EXPECT_TRUE(ini.serialize().contains(QString::fromUtf8("Größe").toUtf8()));
}

TEST(IniFile, ValuesSurviveAWriteAndReadEvenWithBlanksQuotesAndLineBreaks)
{
    IniFile ini;
    ini.writeString("S", "blanks", "   0.8 mm");
    ini.writeString("S", "quoted", "\"x\"");
    ini.writeString("S", "lines", "a\r\nb\nc");
    ini.writeBool("S", "on", true);
    const QByteArray text = ini.serialize();
    EXPECT_FALSE(text.contains('\r')) << "written with LF line ends";
    EXPECT_TRUE(text.contains("on=1\n"));
    IniFile back;
    back.parse(text);
    EXPECT_EQ(back.readString("S", "blanks"), "   0.8 mm");
    EXPECT_EQ(back.readString("S", "quoted"), "\"x\"");
    EXPECT_EQ(back.readString("S", "lines"), "a b c");
}

TEST(Settings, MissingFileGivesEveryDefault)
{
    QTemporaryDir dir;
    SettingsFile file(dir.filePath("TREVOK40.INI"));
    const Settings s = file.read();
    const Settings d = DefaultSettings();
    EXPECT_TRUE(s.hintsShown);
    EXPECT_FALSE(s.macroPanelShown);
    EXPECT_FALSE(s.autoSave);
    EXPECT_EQ(s.autoSaveTime, 300000);
    EXPECT_EQ(s.colourScheme, 0);
    EXPECT_TRUE(s.boardZoomShown);
    EXPECT_EQ(s.undoDepth, 50);
    EXPECT_EQ(s.gridMarking, 4);
    EXPECT_TRUE(s.gridVisible);
    EXPECT_EQ(s.folders.layout, QDir::homePath());
    EXPECT_EQ(s.folders, d.folders);
    EXPECT_EQ(s.macroSubFolder, "...");
    EXPECT_TRUE(s.macroRoot.endsWith("/Makros"));
    for (const QString& recent : s.recentFiles)
        EXPECT_TRUE(recent.isEmpty());
    EXPECT_TRUE(s.trackWidths.empty() && s.userGrids.empty() && s.padSizes.empty() && s.smdSizes.empty());
    EXPECT_FALSE(QFile::exists(file.path())) << "reading never creates the file";
}

TEST(Settings, EveryKeyAndListSurvivesARoundTripThroughTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/TREVOK40.INI"); // the folder is created on writing
    Settings s;
    s.hintsShown = false;
    s.macroPanelShown = true;
    s.autoSave = true;
    s.autoSaveTime = 3600000;
    s.colourScheme = 3;
    s.boardZoomShown = false;
    s.undoDepth = 7;
    s.gridMarking = 10;
    s.gridVisible = false;
    s.folders = {"/l", "/g", "/b", "/v", "/p q"};
    s.macroRoot = "/m";
    s.macroSubFolder = "/m/ICs";
    s.recentFiles = {"/a.lay", "/b.lay", "", "/d.lay"};
    s.trackWidths = {{40, "0.4 mm"}, {80, "0.8 mm"}};
    s.userGrids = {{50, "      0.50 mm"}, {100, "      1.00 mm"}};
    s.padSizes = {{0, "1.8 x 0.6 mm"}};
    s.smdSizes = {{0, "0.9 x 1.8 mm"}, {0, "1.5 x 1.5 mm"}};
    s.designRules = {25, 30, 35, 18, 40, 300, 50, 120};
    s.checkBeforeExport = false;
    {
        SettingsFile out(path);
        ASSERT_TRUE(out.writeAll(s)) << out.lastError().toStdString();
    }
    const QByteArray text = readAll(path);
    EXPECT_TRUE(text.contains("AutoSaveTime=3600000\n"));
    EXPECT_TRUE(text.contains("Kurzhilfe=0\n"));
    EXPECT_TRUE(text.contains("[R_POPUP]\nT8=50\nS8=\"      0.50 mm\"\nT9=100\n"));
    EXPECT_TRUE(text.contains("[LA_POPUP]\nS0=1.8 x 0.6 mm\n"));
    EXPECT_TRUE(text.contains("[Designpruefung]\nAbstand=25\n"));

    SettingsFile in(path);
    const Settings r = in.read();
    EXPECT_EQ(r.hintsShown, s.hintsShown);
    EXPECT_EQ(r.designRules, s.designRules);
    EXPECT_EQ(r.checkBeforeExport, s.checkBeforeExport);
    EXPECT_EQ(r.macroPanelShown, s.macroPanelShown);
    EXPECT_EQ(r.autoSave, s.autoSave);
    EXPECT_EQ(r.autoSaveTime, s.autoSaveTime);
    EXPECT_EQ(r.colourScheme, s.colourScheme);
    EXPECT_EQ(r.boardZoomShown, s.boardZoomShown);
    EXPECT_EQ(r.undoDepth, s.undoDepth);
    EXPECT_EQ(r.gridMarking, s.gridMarking);
    EXPECT_EQ(r.gridVisible, s.gridVisible);
    EXPECT_EQ(r.folders, s.folders);
    EXPECT_EQ(r.macroRoot, s.macroRoot);
    EXPECT_EQ(r.macroSubFolder, s.macroSubFolder);
    EXPECT_EQ(r.recentFiles, s.recentFiles);
    EXPECT_EQ(r.trackWidths, s.trackWidths);
    EXPECT_EQ(r.userGrids, s.userGrids);
    EXPECT_EQ(r.padSizes, s.padSizes);
    EXPECT_EQ(r.smdSizes, s.smdSizes);
}

TEST(Settings, ListSectionsFollowTheirNumberingAndStopRules)
{
    IniFile ini;
    ini.parse("[L_POPUP]\nT0=40\nS0=0.4 mm\nT1=60\nT3=99\nS3=lost\n"
              "[R_POPUP]\nT0=1\nS0=not a user grid\nT8=50\nS8=0.50 mm\nT9=70\nS9=   0.70 mm\n"
              "[LA_POPUP]\nS0=1.8 x 0.6 mm\nS1=\nS2=lost\n"
              "[SMD_POPUP]\nS1=lost\n");
    const Settings s = ReadSettings(ini);
    ASSERT_EQ(s.trackWidths.size(), 2u) << "stops at the first missing T<n>";
    EXPECT_EQ(s.trackWidths[1], (ParameterEntry{60, ""}));
    ASSERT_EQ(s.userGrids.size(), 2u) << "user grids are numbered from 8";
    EXPECT_EQ(s.userGrids[0], (ParameterEntry{50, "      0.50 mm"}));
    EXPECT_EQ(s.userGrids[1].caption, "      0.70 mm") << "six leading blanks, however many were stored";
    ASSERT_EQ(s.padSizes.size(), 1u) << "stops at the first empty S<n>";
    EXPECT_TRUE(s.smdSizes.empty()) << "S0 missing";
}

TEST(Settings, WritingErasesEachListSectionAndLeavesOtherSectionsAlone)
{
    IniFile ini;
    ini.parse("[Sonstiges]\nX=1\n[L_POPUP]\nT0=1\nS0=a\nT1=2\nS1=b\nT2=3\nS2=c\n");
    Settings s = ReadSettings(ini);
    s.trackWidths = {{5, "0.05 mm"}};
    WriteSettings(ini, s);
    EXPECT_EQ(ini.keys("L_POPUP"), QStringList({"T0", "S0"}));
    EXPECT_EQ(ini.readInteger("Sonstiges", "X", 0), 1);
}

TEST(Settings, RecentFilesAreWrittenAtOnceKeepingTheRestOfTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("TREVOK40.INI");
    writeAll(path, "[Optionen]\r\nUndo=9\r\n");
    SettingsFile file(path);
    file.read();
    ASSERT_TRUE(file.writeRecentFiles({"/x.lay", "", "", ""}));
    IniFile back(path);
    ASSERT_TRUE(back.load());
    EXPECT_EQ(back.readString("History", "D1"), "/x.lay");
    EXPECT_EQ(back.readInteger("Optionen", "Undo", 0), 9);
}

TEST(Settings, RecentNamesThatAreNotUtf8SurviveARestartAndOthersAreStoredAsTheyAre)
{
    struct Case {
        std::string bytes;
        bool storedAsIs;
    };
    const std::vector<Case> cases = {
        {"/tmp/Verst\xe4rker 100%.lay", false},      // Windows-1252 name: no UTF-8 at all
        {"/tmp/a\xc3\xa4\xff\xc3.lay", false},       // valid and broken sequences mixed
        {"/tmp/Gr\xc3\xb6\xc3\x9f_50%25.lay", true}, // valid UTF-8, percent signs kept literally
        {"bytes:/tmp/x.lay", false},                 // a plain name that looks encoded
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("TREVOK40.INI");
    for (const Case& c : cases) {
        SettingsFile file(path);
        file.read();
        ASSERT_TRUE(file.writeRecentFiles({PathFromLocal(c.bytes), "", "", ""}));
        const QByteArray text = readAll(path);
        EXPECT_EQ(QString::fromUtf8(text).toUtf8(), text) << "the file stays UTF-8 text: " << c.bytes;
        IniFile ini(path);
        ASSERT_TRUE(ini.load());
        const QString stored = ini.readString("History", "D1");
        if (c.storedAsIs)
            EXPECT_EQ(stored.toStdString(), c.bytes);
        else
            EXPECT_NE(stored.toStdString(), c.bytes);
        const Settings back = SettingsFile(path).read();
        EXPECT_EQ(LocalPath(back.recentFiles[0]), c.bytes);
    }
}

TEST(Settings, HandEditedValuesOutsideTheUsableRangeAreBroughtBack)
{
    IniFile ini;
    ini.parse("[Optionen]\nAutoSaveTime=0\nUndo=500\nRasterMarkierung=3\nFarbschema=9\n");
    Settings s = ReadSettings(ini);
    EXPECT_EQ(s.autoSaveTime, MinAutoSaveMs) << "a timer of 0 ms would save without pause";
    EXPECT_EQ(s.undoDepth, 50);
    EXPECT_EQ(s.gridMarking, 4);
    EXPECT_EQ(s.colourScheme, 0);
    ini.parse("[Optionen]\nAutoSaveTime=99999999\nUndo=-3\n");
    s = ReadSettings(ini);
    EXPECT_EQ(s.autoSaveTime, MaxAutoSaveMs);
    EXPECT_EQ(s.undoDepth, 0);
    ini.parse("[Designpruefung]\nAbstand=-5\nFraeser=600\nBohrungMin=800\nBohrungMax=40\n");
    s = ReadSettings(ini);
    EXPECT_EQ(s.designRules.gap, DesignRules{}.gap);
    EXPECT_EQ(s.designRules.mill, 0) << "wider than the window's field";
    EXPECT_EQ(s.designRules.drillMin, 40);
    EXPECT_EQ(s.designRules.drillMax, 800);
    EXPECT_TRUE(s.checkBeforeExport) << "on unless switched off";
}

TEST(Language, CommandLineBeatsTheLanguageFileWhichBeatsTheLocale)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("SPRACHE.INI");
    const QLocale french(QLocale::French, QLocale::France);
    EXPECT_EQ(ChooseLanguage(std::nullopt, file, french), 2) << "no file: the locale";
    EXPECT_EQ(ChooseLanguage(std::nullopt, file, QLocale(QLocale::German, QLocale::Austria)), 0);
    EXPECT_EQ(ChooseLanguage(std::nullopt, file, QLocale(QLocale::Italian)), 1);

    writeAll(file, "[Sprache]\r\nSprache=0\r\n");
    EXPECT_EQ(ChooseLanguage(std::nullopt, file, french), 0) << "the file: even 0 counts";
    EXPECT_EQ(ChooseLanguage(1, file, french), 1) << "the command line first";

    writeAll(file, "[Sprache]\nSprache=7\n");
    EXPECT_EQ(ChooseLanguage(std::nullopt, file, french), 2) << "an unknown code falls through";
}

TEST(Language, CommandLineJoinsTheRemainingArgumentsIntoOnePath)
{
    CommandLine c = ParseCommandLine({"--language", "FR", "/home/u/my", "board.lay"});
    EXPECT_EQ(c.language, 2);
    EXPECT_EQ(c.filePath, "/home/u/my board.lay");
    EXPECT_FALSE(c.languageError);

    c = ParseCommandLine({"--language=de", "a.lay"});
    EXPECT_EQ(c.language, 0);
    EXPECT_EQ(c.filePath, "a.lay");

    c = ParseCommandLine({"a.lay", "--language", "en"});
    EXPECT_FALSE(c.language) << "options only before the file name";
    EXPECT_EQ(c.filePath, "a.lay --language en");

    c = ParseCommandLine({"--language", "xx", "b.lay"});
    EXPECT_FALSE(c.language);
    EXPECT_TRUE(c.languageError);
    EXPECT_EQ(c.badLanguage, "xx");
    EXPECT_EQ(c.filePath, "b.lay");

    c = ParseCommandLine({"--language"});
    EXPECT_TRUE(c.languageError);
    EXPECT_TRUE(c.filePath.isEmpty());

    c = ParseCommandLine({"--", "--language", "x.lay"});
    EXPECT_EQ(c.filePath, "--language x.lay");
}

TEST(Language, HelpAndVersionAreOptionsBeforeTheFile)
{
    CommandLine c = ParseCommandLine({"--language", "de", "--help"});
    EXPECT_TRUE(c.help);
    EXPECT_EQ(c.language, 0);
    EXPECT_TRUE(c.filePath.isEmpty());
    c = ParseCommandLine({"--version"});
    EXPECT_TRUE(c.version);
    EXPECT_FALSE(c.help);
    c = ParseCommandLine({"-h"});
    EXPECT_TRUE(c.help);
    c = ParseCommandLine({"my", "--help.lay"});
    EXPECT_FALSE(c.help) << "part of the file name";
    EXPECT_EQ(c.filePath, "my --help.lay");
}

TEST(Language, ADisplayIsNeededUnlessAPlatformWithoutOneIsNamed)
{
    struct Case {
        const char *platform, *x11, *wayland;
        bool available;
    };
    const Case cases[] = {
        {"", "", "", false},         {"", ":0", "", true},
        {"", "", "wayland-0", true}, {"xcb", "", "wayland-0", false},
        {"xcb", ":1", "", true},     {"wayland", ":0", "", false},
        {"offscreen", "", "", true}, {"vnc:size=800x600", "", "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DisplayAvailable(QString::fromLatin1(c.platform), QString::fromLatin1(c.x11),
                                   QString::fromLatin1(c.wayland)),
                  c.available)
            << c.platform << " / " << c.x11 << " / " << c.wayland;
}
