// The print dialog and its small dialogs through their widgets, in French and English, and the
// main window printing to a PDF file when there is no printer.
#include "app/exportcontroller.h"
#include "app/mainwindow.h"
#include "dialogs/kacheldlg.h"
#include "dialogs/korrekturdlg.h"
#include "dialogs/printdlg.h"
#include "dialogs/printoptionsdlg.h"
#include "dialogs/printpreview.h"
#include "languageguard.h"
#include "view/texts.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{
QPrinter& pdfPrinter()
{
    static QPrinter p(QPrinter::HighResolution);
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setFullPage(true);
    p.setPageSize(QPageSize(QPageSize::A4));
    p.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    return p;
}

TBoard boardWithTracks()
{
    TBoard b;
    b.BoardWidth = 10000;
    b.BoardHeight = 5000;
    for (int i = 0; i < 20; ++i) {
        auto t = NewTrack(50, static_cast<std::uint8_t>(1 + i % 4));
        t->Points = {{500, -200 - 200 * i}, {9500, -200 - 200 * i}};
        b.Elements.push_back(std::move(t));
    }
    return b;
}

} // namespace

TEST(PrintDialog, FrenchControlsDriveTheSettingsAndThePreview)
{
    Language fr(2);
    TBoard board = boardWithTracks();
    TPrint_Dlg dlg;
    dlg.prepare(&board, {}, &pdfPrinter(), false);
    EXPECT_EQ(dlg.windowTitle(), "Imprimer dans un fichier PDF (aucune imprimante trouvée)");
    EXPECT_EQ(dlg.control<QCheckBox>("CB_K1")->text(), "C1");
    EXPECT_EQ(dlg.control<QCheckBox>("CB_Loetstop2")->text(), "Masquesoudure2");
    EXPECT_EQ(dlg.control<QPushButton>("OKBtn")->text(), "&Impression");
    EXPECT_TRUE(dlg.control<QCheckBox>("Rahmen")->isChecked()) << "the outline is on by default";

    dlg.resize(900, 700);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    PrintPreview* preview = dlg.preview();
    preview->repaint();
    const int draws = preview->sheetDrawCount();
    EXPECT_GE(draws, 1);

    // Dragging moves the board by the pixel step converted to units, without drawing it again.
    const double unitsPerPixel = preview->mmPerPixel() * 100.0;
    const QPoint start = preview->rect().center();
    QTest::mousePress(preview, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(10, 5)),
                     preview->mapToGlobal(QPointF(start + QPoint(10, 5))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(preview, &move);
    QTest::mouseRelease(preview, Qt::LeftButton, {}, start + QPoint(10, 5));
    EXPECT_EQ(dlg.settings().offsetX, -100 + RoundHalfEven(-10 * unitsPerPixel));
    EXPECT_EQ(dlg.settings().offsetY, 100 + RoundHalfEven(5 * unitsPerPixel));
    preview->repaint();
    EXPECT_EQ(preview->sheetDrawCount(), draws) << "the cached board picture is moved, not redrawn";

    dlg.control<QCheckBox>("CB_K1")->click();
    dlg.control<QCheckBox>("Spiegeln")->click();
    EXPECT_FALSE(dlg.settings().layers[0]);
    EXPECT_TRUE(dlg.settings().mirror);
    preview->repaint();
    EXPECT_EQ(preview->sheetDrawCount(), draws + 1) << "a switch draws the board again";

    // Free scale at position 20: twice the size, offsets halved.
    const int offX = dlg.settings().offsetX;
    dlg.control<QRadioButton>("S_Frei")->click();
    dlg.control<QScrollBar>("S_Wert")->setValue(20);
    EXPECT_DOUBLE_EQ(dlg.settings().divisor, 0.5);
    EXPECT_EQ(dlg.settings().offsetX, RoundHalfEven(offX * 0.5));
    EXPECT_EQ(dlg.control<QLabel>("L_Scale")->text(), "200 %");
    dlg.control<QRadioButton>("S_1zu1")->click();
    EXPECT_DOUBLE_EQ(dlg.settings().divisor, 1.0);

    dlg.pickColour = [](const QColor&) { return QColor(0, 128, 255); };
    QTest::mouseClick(dlg.control<QPushButton>("P_B2"), Qt::LeftButton);
    EXPECT_EQ(dlg.settings().layerColours[3], Rgb(0, 128, 255));

    QTest::mouseClick(dlg.control<QPushButton>("B_Zentrieren"), Qt::LeftButton);
    EXPECT_EQ(dlg.settings().offsetX, 5000 - 10500);
    EXPECT_EQ(dlg.settings().offsetY, RoundHalfEven(297.0 * 50) - 2500);

    QStringList messages;
    dlg.inform = [&](const QString& text) { messages << text; };
    QTest::mouseClick(dlg.control<QPushButton>("B_Clipboard"), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(1181, 591));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "L´image bitmap de la vue préliminaire a été copiée dans le presse-papiers.");
}

TEST(PrintDialog, SubDialogsStoreTheirValuesOnlyOnOk)
{
    Language en(1);
    TBoard board = boardWithTracks();
    TPrint_Dlg dlg;
    dlg.prepare(&board, {}, &pdfPrinter(), false);
    QStringList messages;
    dlg.inform = [&](const QString& text) { messages << text; };

    dlg.runDialog = [](QDialog& d) {
        auto& k = dynamic_cast<TKachel_Dlg&>(d);
        EXPECT_EQ(k.windowTitle(), "Tile");
        k.xField()->setValue(3);
        k.yField()->setValue(2);
        k.gapField()->setValue(5.004);
        return true;
    };
    QTest::mouseClick(dlg.control<QPushButton>("KachelBtn"), Qt::LeftButton);
    EXPECT_EQ(dlg.settings().tilesX, 3);
    EXPECT_EQ(dlg.settings().tilesY, 2);
    EXPECT_EQ(dlg.settings().gap, 500);

    // Calibration: a value out of range or not a number keeps the dialog open with the message.
    dlg.runDialog = [&](QDialog& d) {
        auto& k = dynamic_cast<TKorrekturDlg&>(d);
        EXPECT_EQ(k.horizontalField()->text(), "1.00000");
        d.show();
        for (const char* bad : {"1.25", "abc"}) {
            k.horizontalField()->setText(QString::fromLatin1(bad));
            k.accept();
            EXPECT_TRUE(k.isVisible()) << bad;
        }
        k.horizontalField()->setText("1,1");
        k.verticalField()->setText(" 0.95 ");
        k.accept();
        return k.result() == QDialog::Accepted;
    };
    QTest::mouseClick(dlg.control<QPushButton>("KorrekturBtn"), Qt::LeftButton);
    EXPECT_EQ(messages,
              QStringList({"Please enter values from 0.8 to 1.2", "Please enter values from 0.8 to 1.2"}));
    EXPECT_DOUBLE_EQ(dlg.settings().calibrationX, 1.1);
    EXPECT_DOUBLE_EQ(dlg.settings().calibrationY, 0.95);

    dlg.runDialog = [](QDialog& d) {
        auto& o = dynamic_cast<TPrintOptionsDlg&>(d);
        EXPECT_EQ(o.windowTitle(), "Options");
        EXPECT_DOUBLE_EQ(o.padOffsetField()->value(), 0.30);
        o.padOffsetField()->setValue(0.45);
        o.smdPadsBox()->setChecked(false);
        o.textHeightField()->setValue(2.5);
        return true;
    };
    QTest::mouseClick(dlg.control<QPushButton>("B_Options"), Qt::LeftButton);
    EXPECT_EQ(dlg.settings().padMaskMargin, 45);
    EXPECT_FALSE(dlg.settings().maskSmdPads);
    EXPECT_EQ(dlg.settings().drillTextHeight, 250);

    dlg.runDialog = [](QDialog& d) {
        dynamic_cast<TKachel_Dlg&>(d).xField()->setValue(7);
        return false;
    };
    QTest::mouseClick(dlg.control<QPushButton>("KachelBtn"), Qt::LeftButton);
    EXPECT_EQ(dlg.settings().tilesX, 3) << "cancel keeps the tiles";
}

TEST(PrintDialog, MainWindowWithoutPrinterPrintsToThePdfFileTheUserNames)
{
    Language en(1);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("TREVOK_HOME", dir.path().toLocal8Bit());
    FakeShell shell;
    MainWindow w(dir.filePath("TREVOK40.INI"), nullptr, &shell);
    w.exports().printer(); // decide about the printer before faking one away
    if (w.exports().printerUsable()) {
        qunsetenv("TREVOK_HOME");
        GTEST_SKIP() << "this machine has a printer; the PDF fallback is not taken";
    }
    const QString pdf = dir.filePath("artwork"); // no suffix: .pdf is added
    QString caption;
    shell.onFileName = [&](bool save, const QString& c, const QString&, const QString&) {
        EXPECT_TRUE(save);
        caption = c;
        return pdf;
    };
    bool shown = false;
    shell.onDialog = [&](QDialog& d) {
        shown = true;
        EXPECT_EQ(d.windowTitle(), "Print to a PDF file (no printer found)");
        return true;
    };
    w.action("Drucken1")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(caption, "Print to a PDF file (no printer found)");
    QFile f(pdf + ".pdf");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5) == "%PDF-");
    w.project().Modified = false;
    qunsetenv("TREVOK_HOME");
}

TEST(PrintDialog, PreviewShowsElementsBesideTheBoardAsThePrintoutDoes)
{
    TBoard board;
    board.BoardWidth = 10000;
    board.BoardHeight = 5000;
    const struct {
        std::int32_t x, y; // the middle of a 4 mm track
        const char* where;
    } tracks[] = {{3000, -2500, "on the board"},
                  {12500, -2500, "right of the board"},
                  {5000, -7000, "below the board"},
                  {-600, -2500, "left of the board"}};
    for (const auto& t : tracks) {
        auto track = NewTrack(200, LayerK1);
        track->Points = {{t.x - 1500, t.y}, {t.x + 1500, t.y}};
        board.Elements.push_back(std::move(track));
    }
    PrintSettings settings;
    settings.offsetX = -1000; // 10 mm from the corner, so the track on the left stays on paper
    settings.offsetY = 1000;
    PrintPreview preview;
    preview.resize(600, 800);
    preview.setPaper(QSizeF(210, 297), QRectF(0, 0, 210, 297));
    preview.setSheet(&board, &settings, {});
    QImage img(preview.size(), QImage::Format_RGB32);
    img.fill(Qt::gray);
    QPainter p(&img);
    preview.render(p);
    p.end();

    const double k = 1.0 / (preview.mmPerPixel() * 100.0);
    const QPointF corner = preview.printableCorner();
    auto at = [&](std::int32_t x, std::int32_t y) {
        return img.pixel(qRound(corner.x() + (x - settings.offsetX) * k),
                         qRound(corner.y() + (settings.offsetY - y) * k));
    };
    const QRgb paper = at(8000, -4000); // on the board, where nothing is
    for (const auto& t : tracks)
        EXPECT_NE(at(t.x, t.y), paper) << t.where;
}
