// The template dialog through its widgets (English), and templates in the main window: a moved
// file on opening, drawing under the layout of the active side only.
#include "app/mainwindow.h"
#include "dialogs/vorlagedlg.h"
#include "document/layoutfile.h"
#include "languageguard.h"
#include "view/bmpbuilder.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{
QString writeBmp(const QTemporaryDir& dir, const char* name, std::int32_t ppm, bool allDark = false)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(test::MakeBmp(10, 10, ppm, [allDark](int x, int y) { return allDark || x == y; }));
    return path;
}
} // namespace

TEST(TemplateDialog, LoadingRemovingAndTheZeroResolutionFile)
{
    Language en(1);
    QTemporaryDir dir;
    TVorlageDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Scanned copy");
    QStringList messages;
    dlg.inform = [&](const QString& t) { messages << t; };
    int changes = 0;
    QObject::connect(&dlg, &TVorlageDlg::changed, [&] { ++changes; });
    auto* shown = dlg.findChild<QCheckBox*>("CB_Vorlage2");
    EXPECT_EQ(shown->text(), "&Show bitmap");
    EXPECT_FALSE(shown->isEnabled()) << "no file yet";

    QString next = writeBmp(dir, "zero.bmp", 0);
    dlg.askFile = [&](const QString&) { return next; };
    QTest::mouseClick(dlg.findChild<QPushButton*>("B_Laden2"), Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "The file gives no resolution; 600 dpi are assumed.");
    EXPECT_EQ(dlg.side(1).dpi, 600);
    EXPECT_TRUE(shown->isEnabled());
    EXPECT_TRUE(shown->isChecked());
    EXPECT_EQ(dlg.findChild<QLabel*>("L_Dateiname2")->text(), "zero.bmp");
    EXPECT_EQ(dlg.folder, dir.path());
    EXPECT_GT(changes, 0);

    next = writeBmp(dir, "scan300.bmp", 11811);
    QTest::mouseClick(dlg.findChild<QPushButton*>("B_Laden2"), Qt::LeftButton);
    EXPECT_EQ(dlg.findChild<QSpinBox*>("SE_DPI2")->value(), 300);
    EXPECT_EQ(messages.size(), 1);

    // An unreadable file keeps what was loaded.
    next = dir.filePath("missing.bmp");
    QTest::mouseClick(dlg.findChild<QPushButton*>("B_Laden2"), Qt::LeftButton);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1], "Error loading scanned-copy-bitmap: " + next + "\nThe file does not exist.");
    EXPECT_EQ(dlg.findChild<QLabel*>("L_Dateiname2")->text(), "scan300.bmp");
    EXPECT_FALSE(dlg.side(1).image.isNull());

    // A resolution outside what the dialog takes is named, not silently replaced.
    const struct {
        std::int32_t pixelsPerMetre;
        int dpi;
        const char* message;
    } outside[] = {
        {196850, 2400,
         "The file gives a resolution of 5000 dpi; 20 to 2400 dpi are possible. 2400 dpi are assumed."},
        {394, 20, "The file gives a resolution of 10 dpi; 20 to 2400 dpi are possible. 20 dpi are assumed."},
    };
    for (const auto& c : outside) {
        messages.clear();
        next = writeBmp(dir, "odd.bmp", c.pixelsPerMetre);
        QTest::mouseClick(dlg.findChild<QPushButton*>("B_Laden2"), Qt::LeftButton);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0], c.message);
        EXPECT_EQ(dlg.side(1).dpi, c.dpi);
    }

    dlg.findChild<QSpinBox*>("SE_XOffset2")->setValue(-25);
    EXPECT_EQ(dlg.side(1).rect().left, -250);

    QTest::mouseClick(dlg.findChild<QPushButton*>("B_Entfernen2"), Qt::LeftButton);
    EXPECT_FALSE(shown->isEnabled());
    EXPECT_FALSE(shown->isChecked());
    EXPECT_TRUE(dlg.side(1).image.isNull());
    EXPECT_TRUE(dlg.findChild<QLabel*>("L_Dateiname2")->text().isEmpty());
    EXPECT_EQ(dlg.findChild<QSpinBox*>("SE_XOffset1")->minimum(), 0) << "side 1 offsets start at 0";
}

TEST(TemplateDialog, MainWindowReportsAMovedFileOnceAndDrawsOnlyTheActiveSide)
{
    Language en(1);
    QTemporaryDir dir;
    qputenv("TREVOK_HOME", dir.path().toLocal8Bit());
    const QString scan = writeBmp(dir, "dark.bmp", 3937, true); // 10 px at 100 dpi: 2.54 mm
    const QString gone = dir.filePath("moved-away.bmp");

    TProject p;
    NewBoard(p, "One");
    NewBoard(p, "Two");
    TBoard& one = *p.Boards[0];
    one.ActiveLayer = LayerK1;
    one.TemplateFile[0] = scan.toStdString();
    one.TemplateShown[0] = 1;
    one.TemplateDpi[0] = 100;
    one.TemplateColour[0] = static_cast<std::int32_t>(Rgb(1, 2, 3));
    TBoard& two = *p.Boards[1];
    two.TemplateFile[1] = gone.toStdString();
    two.TemplateShown[1] = 1;
    p.Current = 1;
    const QString layout = dir.filePath("t.lay");
    WriteLayoutFile(p, layout.toStdString());

    QStringList texts;
    FakeShell shell;
    shell.onBox = [&](const ShownBox& box) {
        texts << box.text;
        return QMessageBox::Ok;
    };
    MainWindow w(dir.filePath("TREVOK40.INI"), nullptr, &shell);
    ASSERT_TRUE(w.openLayout(layout));
    EXPECT_EQ(w.project().Boards.size(), 2u) << "the board opens all the same";
    auto moved = [&] { return texts.filter("Error loading scanned-copy-bitmap: " + gone).size(); };
    w.showBoard(1);
    w.showBoard(0);
    w.showBoard(1);
    EXPECT_EQ(moved(), 1) << texts.join(" | ").toStdString();
    EXPECT_EQ(w.project().Boards[1]->TemplateFile[1], gone.toStdString())
        << "the name is kept for when it returns";

    w.showBoard(0);
    auto templatePixels = [&] {
        w.boardWidget()->repaintAll();
        w.boardWidget()->flushRepaints();
        const QImage& pic = w.boardWidget()->cachedPicture();
        int n = 0;
        for (int y = 0; y < pic.height(); ++y)
            for (int x = 0; x < pic.width(); ++x)
                n += pic.pixel(x, y) == qRgb(1, 2, 3);
        return n;
    };
    w.resize(800, 600);
    w.show();
    EXPECT_GT(templatePixels(), 0) << "side 1's template under K1";
    w.setActiveLayer(LayerK2);
    EXPECT_EQ(templatePixels(), 0) << "not while a side-2 layer is active";
    w.project().Modified = false;
    qunsetenv("TREVOK_HOME");
}
