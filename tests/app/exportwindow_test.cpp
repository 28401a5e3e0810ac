// The export dialogs of the main window driven through their widgets: the Gerber and drill
// dialogs with their enabling rules, the save dialog and the files, which must equal what the
// command-line tool writes for the same options.
#include "app/exportcontroller.h"
#include "app/mainwindow.h"
#include "clirun.h"
#include "windowtest.h"

#include "dialogs/exportdlg.h"
#include "dialogs/gerberdlg.h"
#include "dialogs/lochdlg.h"
#include "document/layoutfile.h"
#include "languageguard.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>

using namespace trevok;

namespace
{

/// A main window with a board of every copper kind on both sides, and scripted answers.
class ExportWindow : public WindowTest
{
  protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        shell.onFileName = [this](bool save, const QString&, const QString& folder, const QString& filter) {
            askedFolders << folder;
            askedFilters << filter;
            return save ? nextFileName : QString();
        };
        shell.onDialog = [this](QDialog& dialog) {
            if (onDialog)
                onDialog(dialog);
            dialog.accept();
            return acceptDialogs;
        };
        layout = writeLayout();
        ASSERT_TRUE(window->openLayout(layout));
    }
    /// The texts of the boxes shown.
    QStringList texts() const
    {
        QStringList out;
        for (const ShownBox& box : shell.boxes)
            out << box.text;
        return out;
    }

    QString writeLayout()
    {
        TProject p;
        NewBoard(p, "Platine 1");
        TBoard& b = *p.Boards[0];
        b.BoardWidth = 5000;
        b.BoardHeight = 3000;
        b.GroundPlane1 = 1;
        b.Elements.push_back(NewPad({1000, -1000}, 90, ShapeRound, LayerK1, 40));
        b.Elements.push_back(NewPad({3000, -1500}, 80, 5, LayerK2, 30));
        b.Elements.push_back(NewSmdPad({2000, -2000}, 150, LayerK1, 60));
        auto track = NewTrack(40, LayerK1);
        AddPoint(*track, {1000, -1000});
        AddPoint(*track, {2000, -1000});
        b.Elements.push_back(std::move(track));
        auto print = NewTrack(20, LayerB2);
        AddPoint(*print, {500, -500});
        AddPoint(*print, {4500, -500});
        b.Elements.push_back(std::move(print));
        const QString file = dir.filePath(QStringLiteral("board.lay"));
        WriteLayoutFile(p, QFile::encodeName(file).toStdString());
        return file;
    }

    QString layout;
    QString nextFileName;
    QStringList askedFolders;
    QStringList askedFilters;
    std::function<void(QDialog&)> onDialog;
    bool acceptDialogs = true;
};

template <typename W> W* child(QDialog& d, const char* name)
{
    W* w = d.findChild<W*>(QString::fromLatin1(name));
    EXPECT_TRUE(w) << name;
    return w;
}

} // namespace

TEST(GerberDialog, EveryLayerSetsMirrorOutlineAndTheEnabling)
{
    TGerberDlg dlg;
    EXPECT_TRUE(child<QRadioButton>(dlg, "K1")->isChecked());
    // The first export is what the layer table says for K1: a top copper layer is not mirrored.
    EXPECT_FALSE(child<QCheckBox>(dlg, "Spiegeln")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(dlg, "Umriss")->isChecked());
    EXPECT_FALSE(dlg.options(1).mirror);
    EXPECT_FALSE(child<QCheckBox>(dlg, "Koernen")->isEnabled());
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(dlg, "SE_LAOffset")->value(), 0.30);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(dlg, "SE_SMDOffset")->value(), 0.10);

    struct Row {
        const char* button;
        GerberLayer layer;
        bool mirror, outline, drill, mask;
    };
    const Row rows[] = {
        {"K1", GerberLayer::K1, false, true, true, false},
        {"B1", GerberLayer::B1, false, false, true, false},
        {"LStop1", GerberLayer::LStop1, false, false, false, true},
        {"K2", GerberLayer::K2, true, true, true, false},
        {"B2", GerberLayer::B2, true, false, true, false},
        {"LStop2", GerberLayer::LStop2, true, false, false, true},
    };
    dlg.show();
    for (const Row& r : rows) {
        // Leave the other options in the opposite state, so that the click must set them.
        child<QCheckBox>(dlg, "Spiegeln")->setChecked(!r.mirror);
        child<QCheckBox>(dlg, "Umriss")->setChecked(!r.outline);
        child<QRadioButton>(dlg, r.button)->click();
        SCOPED_TRACE(r.button);
        EXPECT_EQ(dlg.layer(), r.layer);
        EXPECT_EQ(child<QCheckBox>(dlg, "Spiegeln")->isChecked(), r.mirror);
        EXPECT_EQ(child<QCheckBox>(dlg, "Umriss")->isChecked(), r.outline);
        EXPECT_EQ(child<QCheckBox>(dlg, "BohrungenFrei")->isEnabled(), r.drill);
        for (const char* m : {"CB_Loetaugen", "CB_SMDPads", "Invertieren"})
            EXPECT_EQ(child<QCheckBox>(dlg, m)->isEnabled(), r.mask) << m;
        EXPECT_EQ(child<QDoubleSpinBox>(dlg, "SE_LAOffset")->isEnabled(), r.mask);
        EXPECT_EQ(child<QDoubleSpinBox>(dlg, "SE_SMDOffset")->isEnabled(), r.mask);
        EXPECT_EQ(child<QLabel>(dlg, "L_Offset")->isEnabled(), r.mask);
        const GerberOptions o = dlg.options(1);
        EXPECT_EQ(o.layer, r.layer);
        EXPECT_EQ(o.mirror, r.mirror);
        EXPECT_EQ(o.outline, r.outline);
    }

    // "als Körnung" follows "Bohrungen freistanzen" and loses its tick when it is disabled.
    child<QRadioButton>(dlg, "K1")->click();
    auto* punch = child<QCheckBox>(dlg, "BohrungenFrei");
    auto* mark = child<QCheckBox>(dlg, "Koernen");
    punch->click();
    EXPECT_TRUE(mark->isEnabled());
    mark->click();
    EXPECT_TRUE(dlg.options(1).markHoles);
    punch->click();
    EXPECT_FALSE(mark->isEnabled());
    EXPECT_FALSE(mark->isChecked());
    punch->click();
    mark->click();
    child<QRadioButton>(dlg, "LStop1")->click();
    EXPECT_FALSE(mark->isEnabled());
    EXPECT_FALSE(mark->isChecked()) << "a mask layer disables the drill options";
    EXPECT_FALSE(dlg.options(1).punchHoles) << "a disabled option does not reach the export";
}

TEST(GerberDialog, CaptionsFollowTheLanguage)
{
    Language fr(2);
    TGerberDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Exportation Gerber");
    EXPECT_EQ(child<QRadioButton>(dlg, "K2")->text(), "C2");
    EXPECT_EQ(child<QRadioButton>(dlg, "LStop2")->text(), "Masque soudure C2");
    EXPECT_EQ(child<QCheckBox>(dlg, "BohrungenFrei")->text(), QString::fromUtf8("Trous de perçage vides"));
    EXPECT_EQ(child<QPushButton>(dlg, "B_Export")->text(), "Creer fichier exp&ortation...");
}

TEST(DrillDialog, UnitChoosesItsFormatAndOptionsReachTheRecord)
{
    Language en(1);
    TLochDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Excellon export");
    dlg.show();
    DrillOptions o = dlg.options();
    EXPECT_FALSE(o.side2);
    EXPECT_FALSE(o.inch);
    EXPECT_EQ(o.decimals, 2);
    EXPECT_TRUE(o.removeLeadingZeros);
    child<QRadioButton>(dlg, "RB_Zoll")->click();
    EXPECT_TRUE(child<QRadioButton>(dlg, "RB_33")->isChecked());
    child<QRadioButton>(dlg, "RB_32")->click();
    EXPECT_EQ(dlg.options().decimals, 2) << "the format may be changed after the unit";
    EXPECT_TRUE(dlg.options().inch);
    child<QRadioButton>(dlg, "RB_MM")->click();
    child<QRadioButton>(dlg, "RB_Kupfer")->click();
    child<QCheckBox>(dlg, "CB_LeadingZero")->click();
    o = dlg.options();
    EXPECT_TRUE(o.side2);
    EXPECT_FALSE(o.inch);
    EXPECT_EQ(o.decimals, 2);
    EXPECT_FALSE(o.removeLeadingZeros);
}

TEST_F(ExportWindow, GerberMenuWritesWhatTheCommandLineWrites)
{
    Language en(1);
    ASSERT_TRUE(window->action(QStringLiteral("GerberFormat1"))->isEnabled());
    struct Case {
        const char* button;
        QStringList cliOptions;
        std::function<void(QDialog&)> more;
    };
    const Case cases[] = {
        {"K1", {"--layer", "K1", "--no-mirror"}, nullptr},
        {"K2",
         {"--layer", "K2", "--mirror", "--punch-holes", "--mark-holes"},
         [](QDialog& d) {
             d.findChild<QCheckBox*>("BohrungenFrei")->click();
             d.findChild<QCheckBox*>("Koernen")->click();
         }},
        // The dialog keeps the punching chosen for K2.
        {"B2", {"--layer", "B2", "--mirror", "--punch-holes", "--mark-holes"}, nullptr},
        {"LStop1",
         {"--layer", "LStop1", "--no-mirror", "--invert", "--pad-offset", "0.5", "--no-smd-pads"},
         [](QDialog& d) {
             d.findChild<QCheckBox*>("Invertieren")->click();
             d.findChild<QCheckBox*>("CB_SMDPads")->click();
             d.findChild<QDoubleSpinBox*>("SE_LAOffset")->setValue(0.5);
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        onDialog = [&](QDialog& d) {
            d.findChild<QRadioButton*>(QString::fromLatin1(c.button))->click();
            if (c.more)
                c.more(d);
        };
        nextFileName = dir.filePath(QStringLiteral("window%1").arg(n)); // no extension: .gbr is added
        window->action(QStringLiteral("GerberFormat1"))->trigger();
        const QString written = nextFileName + QStringLiteral(".gbr");
        ASSERT_TRUE(QFileInfo::exists(written));
        const QString cliFile = dir.filePath(QStringLiteral("cli%1.gbr").arg(n));
        ASSERT_EQ(
            runCli(QStringList{"export", "gerber", layout, "-o", cliFile, "--language", "en"} + c.cliOptions),
            0);
        EXPECT_EQ(readAll(written), readAll(cliFile));
        ++n;
    }
    EXPECT_TRUE(boxes.empty()) << texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(askedFilters.last().contains(QStringLiteral("*.gbr")));
    EXPECT_EQ(askedFolders.last(), dir.filePath(QStringLiteral("window2.gbr"))) << "the name chosen last";

    // The dialog keeps its choices for the next export.
    onDialog = nullptr;
    window->action(QStringLiteral("GerberFormat1"))->trigger();
    EXPECT_TRUE(window->exports().gerberDialog()->findChild<QRadioButton*>("LStop1")->isChecked());
    EXPECT_DOUBLE_EQ(window->exports().gerberDialog()->options(1).padOffsetMm, 0.5);
}

TEST_F(ExportWindow, DrillMenuWritesWhatTheCommandLineWrites)
{
    onDialog = [](QDialog& d) {
        d.findChild<QRadioButton*>("RB_Zoll")->click();
        d.findChild<QRadioButton*>("RB_Kupfer")->click();
    };
    nextFileName = dir.filePath(QStringLiteral("holes.drl"));
    window->action(QStringLiteral("BohrDatenExcellon1"))->trigger();
    const QString cliFile = dir.filePath(QStringLiteral("cli.drl"));
    ASSERT_EQ(runCli({"export", "drill", layout, "-o", cliFile, "--unit", "inch", "--side", "2"}), 0);
    EXPECT_EQ(readAll(nextFileName), readAll(cliFile));
    EXPECT_FALSE(readAll(cliFile).isEmpty());
}

TEST_F(ExportWindow, CancelledOrFailedExportsLeaveNoFile)
{
    nextFileName = dir.filePath(QStringLiteral("never.gbr"));
    acceptDialogs = false;
    window->gerberExport();
    EXPECT_FALSE(QFileInfo::exists(nextFileName)) << "closing the dialog exports nothing";
    acceptDialogs = true;
    nextFileName.clear();
    window->drillExport();
    EXPECT_TRUE(boxes.empty()) << "a cancelled save dialog says nothing";

    nextFileName = dir.filePath(QStringLiteral("missing/folder/x.gbr"));
    window->gerberExport();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("x.gbr"))) << boxes[0].text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(nextFileName));
}

TEST_F(ExportWindow, OldFontTextsAreOfferedForConversionBeforeTheGerberDialog)
{
    TProject& p = window->project();
    auto text = std::make_unique<TObjekt>();
    text->Kind = KindFontText;
    text->Layer = LayerK1;
    text->X = 500;
    text->Y = -500;
    text->Size1 = 500;
    text->Size2 = -500;
    text->Width = -667;
    text->Text = "AB";
    p.currentBoard()->Elements.push_back(std::move(text));
    bool dialogShown = false;
    onDialog = [&](QDialog&) {
        dialogShown = true;
        EXPECT_EQ(boxes.size(), 2u) << "question and confirmation come before the dialog";
    };
    acceptDialogs = false;
    answers = {QMessageBox::Yes};
    window->gerberExport();
    EXPECT_TRUE(dialogShown);
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("1"))) << boxes[0].text.toStdString();
    for (const auto& e : p.currentBoard()->Elements)
        EXPECT_NE(e->Kind, KindFontText);
    EXPECT_TRUE(p.Modified);
}

TEST(ImageDialog, RecalculatesPixelsAndMemoryAndWarnsAboutLargeBitmaps)
{
    Language en(1);
    TExportDlg dlg(16000, 10000, TExportDlg::Kind::Bitmap);
    EXPECT_EQ(dlg.windowTitle(), "Bitmap export (all visible layers)");
    EXPECT_EQ(child<QLabel>(dlg, "L_Original")->text(), "160.0 mm x 100.0 mm");
    EXPECT_EQ(child<QLabel>(dlg, "L_Pixel")->text(), "1890 x 1181");
    EXPECT_EQ(child<QLabel>(dlg, "L_dpi")->text(), "300 dpi");
    EXPECT_TRUE(child<QRadioButton>(dlg, "RB_SW")->isChecked());
    EXPECT_EQ(child<QLabel>(dlg, "L_Speicher")->text(), "272 kB");
    child<QRadioButton>(dlg, "RB_Farbe")->click();
    EXPECT_EQ(child<QLabel>(dlg, "L_Speicher")->text(), "6540 kB");
    child<QSlider>(dlg, "TrackBar")->setValue(100);
    EXPECT_EQ(child<QLabel>(dlg, "L_Pixel")->text(), "630 x 394");
    EXPECT_EQ(child<QLabel>(dlg, "L_dpi")->text(), "100 dpi");

    TExportDlg large(30000, 30000, TExportDlg::Kind::Bitmap);
    large.findChild<QRadioButton*>("RB_Farbe")->click();
    large.findChild<QSlider*>("TrackBar")->setValue(600);
    EXPECT_EQ(large.findChild<QLabel*>("L_Pixel")->text(), "7087 x 7087");
    EXPECT_EQ(large.memoryKb(), 147144);
    QStringList asked;
    bool answer = false;
    large.confirmLarge = [&](const QString& text) {
        asked << text;
        return answer;
    };
    large.show();
    large.accept();
    EXPECT_TRUE(large.isVisible()) << "No keeps the dialog open";
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith("You are about to create a large bitmap."));
    answer = true;
    large.accept();
    EXPECT_EQ(large.result(), QDialog::Accepted);

    TExportDlg small(16000, 10000, TExportDlg::Kind::Bitmap);
    small.confirmLarge = [&](const QString&) {
        ADD_FAILURE() << "no warning below 25000 kB";
        return false;
    };
    small.accept();
    EXPECT_EQ(small.result(), QDialog::Accepted);
}

TEST(ImageDialog, GifVariantIsColourOnlyWithoutMemoryLine)
{
    Language fr(2);
    TExportDlg dlg(16000, 10000, TExportDlg::Kind::Gif);
    EXPECT_EQ(dlg.windowTitle(), "Exportation GIF");
    EXPECT_TRUE(child<QRadioButton>(dlg, "RB_Farbe")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(dlg, "RB_SW")->isEnabled());
    EXPECT_TRUE(child<QLabel>(dlg, "L_Speicher")->isHidden());
    EXPECT_EQ(dlg.memoryKb(), 6540) << "the warning judges GIF by the colour estimate";
}

TEST_F(ExportWindow, ImageMenusWriteWhatTheCommandLineWrites)
{
    struct Case {
        const char* action;
        const char* format;
        QStringList cliOptions;
        std::function<void(QDialog&)> choose;
    };
    const Case cases[] = {
        {"Bitmap1",
         "bmp",
         {"--dpi", "120", "--mono"},
         [](QDialog& d) { d.findChild<QSlider*>("TrackBar")->setValue(120); }},
        {"Bitmap1",
         "bmp",
         {"--dpi", "100"},
         [](QDialog& d) {
             d.findChild<QSlider*>("TrackBar")->setValue(100);
             d.findChild<QRadioButton*>("RB_Farbe")->click();
         }},
        {"GIF1",
         "gif",
         {"--dpi", "150"},
         [](QDialog& d) { d.findChild<QSlider*>("TrackBar")->setValue(150); }},
        {"PNG1", "png", {"--dpi", "300"}, nullptr},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        onDialog = c.choose;
        nextFileName = dir.filePath(QStringLiteral("window%1").arg(n));
        window->action(QString::fromLatin1(c.action))->trigger();
        const QString written = nextFileName + QLatin1Char('.') + QString::fromLatin1(c.format);
        ASSERT_TRUE(QFileInfo::exists(written)) << texts().join(' ').toStdString();
        EXPECT_EQ(askedFolders.last(),
                  n == 0 ? dir.filePath(QStringLiteral("Platine 1.bmp"))
                         : dir.filePath(QStringLiteral("window%1.%2").arg(n - 1).arg(c.format)))
            << "the board's name in the project's folder first, then the name chosen last with this "
               "format's extension";
        const QString cliFile = dir.filePath(QStringLiteral("cli%1.%2").arg(n).arg(c.format));
        ASSERT_EQ(runCli(QStringList{"export", "image", layout, "--format", c.format, "-o", cliFile} +
                         c.cliOptions),
                  0);
        EXPECT_EQ(readAll(written), readAll(cliFile));
        ++n;
    }

    // The metafile shows the view at its zoom, without a dialog.
    onDialog = [](QDialog&) { ADD_FAILURE() << "no dialog for EMF"; };
    nextFileName = dir.filePath(QStringLiteral("view.emf"));
    window->action(QStringLiteral("EMF1"))->trigger();
    const QByteArray emf = readAll(nextFileName);
    ASSERT_GT(emf.size(), 108);
    EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF"));
    EXPECT_TRUE(boxes.empty()) << texts().join(' ').toStdString();
}

TEST_F(ExportWindow, FabricationSetMenuWritesTheCommandLineSetAndOpensTheFolder)
{
    Language en(1);
    const QString folder = dir.filePath(QStringLiteral("fab"));
    onDialog = [&](QDialog& d) {
        EXPECT_EQ(d.findChild<QLineEdit*>("E_Ordner")->text(), QFileInfo(layout).absolutePath())
            << "the project's folder first, as the other exports";
        d.findChild<QLineEdit*>("E_Ordner")->setText(folder);
    };
    QMenu* exportMenu = window->menu(QStringLiteral("Exportieren1"));
    ASSERT_TRUE(exportMenu);
    EXPECT_TRUE(exportMenu->actions().contains(window->action(QStringLiteral("Fertigungssatz1"))));
    EXPECT_TRUE(exportMenu->actions().contains(window->action(QStringLiteral("EMF1"))));
    const QStringList& opened = shell.openedFolders;
    window->action(QStringLiteral("Fertigungssatz1"))->trigger();
    ASSERT_EQ(opened, QStringList{folder}) << texts().join(' ').toStdString();

    const QString cliFolder = dir.filePath(QStringLiteral("cli"));
    ASSERT_EQ(runCli({"export", "fab", layout, "-o", cliFolder, "--language", "en"}), 0);
    const QStringList names = QDir(cliFolder).entryList(QDir::Files);
    ASSERT_EQ(names.size(), 9);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), names);
    for (const QString& name : names)
        EXPECT_EQ(readAll(folder + QLatin1Char('/') + name), readAll(cliFolder + QLatin1Char('/') + name))
            << name.toStdString();

    // The next time the dialog offers the folder chosen last and the zip choice.
    onDialog = [&](QDialog& d) {
        EXPECT_EQ(d.findChild<QLineEdit*>("E_Ordner")->text(), folder);
        d.findChild<QCheckBox*>("CB_Zip")->click();
    };
    window->action(QStringLiteral("Fertigungssatz1"))->trigger();
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/board.zip")));
    EXPECT_TRUE(boxes.empty()) << texts().join(' ').toStdString();
}

TEST_F(ExportWindow, SaveDialogsStartAtTheBoardsNameAndTheStatusLineNamesWhatWasWritten)
{
    Language en(1);
    struct Case {
        const char* action;
        QString suggested; // where the save dialog starts the first time
        QString chosen;    // what the user names
    };
    const Case cases[] = {
        {"GerberFormat1", dir.filePath("Platine 1.gbr"), dir.filePath("top.gbr")},
        {"BohrDatenExcellon1", dir.filePath("Platine 1.drl"), dir.filePath("holes.drl")},
        {"PNG1", dir.filePath("Platine 1.png"), dir.filePath("picture.png")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        nextFileName = c.chosen;
        window->action(QString::fromLatin1(c.action))->trigger();
        ASSERT_FALSE(askedFolders.isEmpty());
        EXPECT_EQ(askedFolders.last(), c.suggested);
        EXPECT_TRUE(QFileInfo::exists(c.chosen));
        EXPECT_EQ(window->hintLabel()->text(), "Written: " + QDir::toNativeSeparators(c.chosen));
    }

    // Without a file manager the message says where the fabrication set went.
    const QString folder = dir.filePath(QStringLiteral("fab"));
    onDialog = [&](QDialog& d) { d.findChild<QLineEdit*>("E_Ordner")->setText(folder); };
    shell.folderOpens = false;
    window->action(QStringLiteral("Fertigungssatz1"))->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(QDir::toNativeSeparators(folder))) << boxes[0].text.toStdString();
    EXPECT_EQ(window->hintLabel()->text(), "Written: " + QDir::toNativeSeparators(folder));
}
