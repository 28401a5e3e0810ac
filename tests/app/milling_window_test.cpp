// The milling commands in the window: the dialog, the progress window, the files, the contours
// over the board until the next recorded change, and the warnings.
#include "app/mainwindow.h"
#include "clirun.h"
#include "windowtest.h"

#include "dialogs/umrissdlg.h"
#include "dialogs/umrissprogress.h"
#include "document/layoutfile.h"
#include "document/undo.h"
#include "languageguard.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

using namespace trevok;

namespace
{

class MillingWindow : public WindowTest
{
  protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        shell.onDialog = [this](QDialog& dialog) {
            if (prepareDialog)
                prepareDialog(dialog);
            dialog.accept();
            return true;
        };
    }

    QString& fileName = shell.nextFile;
    std::function<void(QDialog&)> prepareDialog;
};

} // namespace

TEST_F(MillingWindow, IsolationMillingWritesFilesAndShowsContoursUntilTheNextChange)
{
    board().Elements.push_back(NewPad({1000, -1000}, 80, ShapeRound, LayerK1, 40));
    board().Elements.push_back(NewPad({1210, -1000}, 80, ShapeRound, LayerK1, 40)); // 50 units apart
    fileName = dir.filePath(QStringLiteral("iso"));
    prepareDialog = [](QDialog& d) {
        d.findChild<QCheckBox*>(QStringLiteral("CB_ISO"))->setChecked(true);
        d.findChild<QDoubleSpinBox*>(QStringLiteral("SE_Staerke"))->setValue(0.6);
        d.findChild<QRadioButton*>(QStringLiteral("RB_Bohrungen_Extra"))->setChecked(true);
    };
    QAction* a = window->action(QStringLiteral("UmrissHPGLplt1"));
    ASSERT_TRUE(a->isEnabled());
    EXPECT_EQ(window->menu(QStringLiteral("Frsdateien1"))->title(), QStringLiteral("Milling files"));
    a->trigger();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("iso.PLT")))); // extension added
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("DRILLING.PLT"))));
    EXPECT_TRUE(window->boardWidget()->hasMillingOverlay());
    // 30 units of copper growth on each side close the 50-unit gap: one warning with the place.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(
        boxes[0].line().contains(QStringLiteral("1 place where the mill cannot pass: (11.05 / 10.00 mm)")))
        << boxes[0].line().toStdString();

    // Painting keeps the contours while nothing changed; a recorded change drops them.
    window->boardWidget()->viewport()->repaint();
    EXPECT_TRUE(window->boardWidget()->hasMillingOverlay());
    PushUndo(window->project());
    window->updateCommandStates(); // as after every edit
    EXPECT_FALSE(window->boardWidget()->hasMillingOverlay());
}

TEST_F(MillingWindow, WarningsForAnEmptyLayerAndNoOutlineSelected)
{
    fileName = dir.filePath(QStringLiteral("x.plt"));
    board().Elements.push_back(NewPad({1000, -1000}, 80, ShapeRound, LayerK2, 40));
    window->action(QStringLiteral("UmrissHPGLplt1"))->trigger(); // K1 is chosen and empty
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].line(), QStringLiteral("Isolation milling: The selected layer is empty"));
    EXPECT_FALSE(QFile::exists(fileName));

    window->action(QStringLiteral("PlatinenkonturHPGLplt1"))->trigger();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].line(), QStringLiteral("PCB outline: No elements selected for the PCB outline"));

    auto outline = NewTrack(20, LayerB2);
    AddPoint(*outline, {0, 0});
    AddPoint(*outline, {1000, 0});
    outline->Selected = 1;
    board().Elements.push_back(std::move(outline));
    window->action(QStringLiteral("PlatinenkonturHPGLplt1"))->trigger();
    EXPECT_EQ(boxes.size(), 2u);
    QFile f(fileName);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("PT0;\r\nPU;\r\n"));
}

TEST(MillingProgressWindow, CancelLeavesNothingAndStagesShowInBold)
{
    Language german(0);
    TBoard big;
    for (int i = 0; i < 3000; ++i) {
        auto t = NewTrack(40, LayerK1);
        AddPoint(*t, {(i % 60) * 150, -(i / 60) * 150});
        AddPoint(*t, {(i % 60) * 150 + 300, -(i / 60) * 150 - 100});
        big.Elements.push_back(std::move(t));
    }
    MillingJob job; // a dry run: nothing is written
    job.board = &big;
    TUmrissProgress progress;
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Umrisserstellung"));
    EXPECT_EQ(progress.stageLabel(5)->text(), QStringLiteral("Optimiere Umrisse"));
    // The worker is held at the start of the first stage until the window has shown that stage
    // in bold and the test has cancelled, so neither side can outrun the other.
    std::mutex m;
    std::condition_variable cv;
    bool released = false;
    int heldIn = 0;
    progress.setStageHook([&](int stage) {
        std::unique_lock lock(m);
        if (heldIn == 0)
            heldIn = stage;
        cv.wait_for(lock, std::chrono::seconds(60), [&] { return released; }); // bound only a hang
    });
    std::vector<int> boldWhenCancelled;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!boldWhenCancelled.empty())
            return;
        std::vector<int> bold;
        for (int s = 1; s <= 5; ++s)
            if (progress.stageLabel(s)->font().bold())
                bold.push_back(s);
        if (bold.empty())
            return;
        boldWhenCancelled = bold;
        progress.cancel();
        const std::lock_guard lock(m);
        released = true;
        cv.notify_all();
    });
    watch.start(10);
    EXPECT_FALSE(progress.run(job).has_value());
    EXPECT_EQ(heldIn, 1);
    EXPECT_EQ(boldWhenCancelled, std::vector<int>{1}) << "the running stage alone is bold";

    // Run to its end, the same window gives the contours.
    watch.stop();
    progress.setStageHook({});
    TBoard small;
    small.Elements.push_back(NewPad({0, 0}, 100, ShapeRound, LayerK1, 30));
    job.board = &small;
    const auto r = progress.run(job);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->isolation.contours.size(), 1u);
}

TEST_F(MillingWindow, GcodeWritesWhatTheCommandLineWrites)
{
    // Two plated pads of different drills joined by a track, a lone pad too close to the track
    // (one isolation problem), and a board outline on B2.
    TProject p;
    NewBoard(p, "Platine 1");
    TBoard& b = *p.Boards[0];
    b.Elements.push_back(NewPad({1000, -1000}, 90, ShapeRound, LayerK1, 40));
    b.Elements.push_back(NewPad({3000, -1000}, 80, 5, LayerK1, 30));
    b.Elements.push_back(NewPad({2000, -1090}, 60, ShapeRound, LayerK1, 30));
    auto track = NewTrack(40, LayerK1);
    AddPoint(*track, {1000, -1000});
    AddPoint(*track, {3000, -1000});
    b.Elements.push_back(std::move(track));
    auto outline = NewTrack(20, LayerB2);
    for (TPoint q : {TPoint{0, 0}, TPoint{4000, 0}, TPoint{4000, -2000}, TPoint{0, -2000}, TPoint{0, 0}})
        AddPoint(*outline, q);
    b.Elements.push_back(std::move(outline));
    const QString layout = dir.filePath(QStringLiteral("board.lay"));
    WriteLayoutFile(p, QFile::encodeName(layout).toStdString());
    ASSERT_TRUE(window->openLayout(layout));
    board().Elements[4]->Selected = true; // the outline; the command line takes all of B2 for it

    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("win")) &&
                QDir(dir.path()).mkpath(QStringLiteral("cli")));
    fileName = dir.filePath(QStringLiteral("win/iso")); // no extension: .NC is added
    prepareDialog = [](QDialog& d) {
        auto set = [&](const char* name, double v) {
            d.findChild<QDoubleSpinBox*>(QString::fromLatin1(name))->setValue(v);
        };
        set("SE_Breite", 0.3);
        set("SE_Tiefe", 0.15);
        set("SE_Bohrtiefe", 2.0);
        set("SE_Konturtiefe", 1.9);
        set("SE_Sicherheit", 3.0);
        set("SE_Vorschub", 300);
        set("SE_Eintauchen", 50);
        d.findChild<QSpinBox*>(QStringLiteral("SE_Spindel"))->setValue(10000);
        d.findChild<QRadioButton*>(QStringLiteral("RB_Bohrungen_AlleExtra"))->setChecked(true);
        d.findChild<QRadioButton*>(QStringLiteral("RB_Kontur_Markiert"))->setChecked(true);
        d.findChild<QSpinBox*>(QStringLiteral("SE_Durchgaenge"))->setValue(2);
        d.findChild<QSpinBox*>(QStringLiteral("SE_Ueberlappung"))->setValue(40);
        d.findChild<QSpinBox*>(QStringLiteral("SE_Stege"))->setValue(3);
        d.findChild<QRadioButton*>(QStringLiteral("RB_Spiegel_X"))->setChecked(true);
        d.findChild<QToolButton*>(QStringLiteral("SB_Nullpunkt_OR"))->setChecked(true);
    };
    QAction* a = window->action(QStringLiteral("GCode1"));
    ASSERT_TRUE(window->menu(QStringLiteral("Frsdateien1"))->actions().contains(a));
    EXPECT_EQ(a->text(), QStringLiteral("G-Code..."));
    a->trigger();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0].line().contains(QStringLiteral("Last job: travel ")))
        << boxes[0].line().toStdString();
    EXPECT_TRUE(boxes[1].line().contains(QStringLiteral("1 place where the mill cannot pass")))
        << boxes[1].line().toStdString();

    const QString cliFile = dir.filePath(QStringLiteral("cli/iso.NC"));
    EXPECT_EQ(runCli({"export",
                      "gcode",
                      layout,
                      "-o",
                      cliFile,
                      "--layer",
                      "K1",
                      "--width",
                      "0.3",
                      "--depth",
                      "0.15",
                      "--drill-depth",
                      "2",
                      "--outline-depth",
                      "1.9",
                      "--safe-z",
                      "3",
                      "--feed",
                      "300",
                      "--plunge",
                      "50",
                      "--spindle",
                      "10000",
                      "--drills",
                      "per-diameter",
                      "--outline-layer",
                      "B2",
                      "--passes",
                      "2",
                      "--overlap",
                      "40",
                      "--tabs",
                      "3",
                      "--mirror",
                      "x",
                      "--ref-holes",
                      "OR",
                      "--language",
                      "en"}),
              3); // the isolation problem
    const QStringList written = QDir(dir.filePath(QStringLiteral("win"))).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(written, QDir(dir.filePath(QStringLiteral("cli"))).entryList(QDir::Files, QDir::Name));
    EXPECT_EQ(written.size(), 4)
        << written.join(QLatin1Char(' ')).toStdString(); // isolation, 2 drills, outline
    for (const QString& name : written) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = readAll(dir.filePath(QStringLiteral("win/") + name));
        EXPECT_FALSE(bytes.isEmpty());
        EXPECT_EQ(bytes, readAll(dir.filePath(QStringLiteral("cli/") + name)));
    }

    // The dialog keeps its values in the settings file for the next run of the program; with
    // nothing selected for the outline it writes nothing.
    window->project().Modified = false;
    window->close();
    window = makeWindow();
    ASSERT_TRUE(window->openLayout(layout));
    prepareDialog = [](QDialog& d) {
        EXPECT_DOUBLE_EQ(d.findChild<QDoubleSpinBox*>(QStringLiteral("SE_Tiefe"))->value(), 0.15);
        EXPECT_DOUBLE_EQ(d.findChild<QDoubleSpinBox*>(QStringLiteral("SE_Breite"))->value(), 0.3);
        EXPECT_EQ(d.findChild<QSpinBox*>(QStringLiteral("SE_Durchgaenge"))->value(), 2);
        EXPECT_EQ(d.findChild<QSpinBox*>(QStringLiteral("SE_Spindel"))->value(), 10000);
        EXPECT_TRUE(d.findChild<QRadioButton*>(QStringLiteral("RB_Spiegel_X"))->isChecked());
        EXPECT_TRUE(d.findChild<QRadioButton*>(QStringLiteral("RB_Kontur_Markiert"))->isChecked());
        EXPECT_TRUE(d.findChild<QToolButton*>(QStringLiteral("SB_Nullpunkt_OR"))->isChecked());
        EXPECT_FALSE(d.findChild<QToolButton*>(QStringLiteral("SB_Nullpunkt_UL"))->isChecked());
    };
    fileName = dir.filePath(QStringLiteral("again.nc"));
    const std::size_t before = boxes.size();
    window->action(QStringLiteral("GCode1"))->trigger();
    ASSERT_EQ(boxes.size(), before + 1);
    EXPECT_EQ(boxes.back().line(), QStringLiteral("PCB outline: No elements selected for the PCB outline"))
        << boxes.back().line().toStdString();
    EXPECT_FALSE(QFile::exists(fileName));
}
