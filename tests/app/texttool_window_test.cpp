// Texts through the real widgets: placing numbered texts with the Text tool and its dialog,
// editing one by double click, a refused text, the glyph-authoring shortcut, and the conversion
// of old font texts when a file is opened.
#include "app/autosave.h"
#include "app/mainwindow.h"
#include "windowtest.h"

#include "dialogs/linientextdlg.h"
#include "document/filebuilder.h"
#include "document/undo.h"
#include "edit/session.h"
#include "view/texts.h"
#include "view/viewmodel.h"
#include "view/widgets/boardwidget.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

using namespace trevok;

namespace
{

class TextWindow : public WindowTest
{
  protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        // Each dialog is filled by the next step of the script and accepted through its own
        // accept; no step left is Cancel.
        shell.onDialog = [this](QDialog& dialog) {
            if (fills.empty())
                return false;
            const auto fill = fills.front();
            fills.pop_front();
            fill(dialog);
            dialog.accept();
            return dialog.result() == QDialog::Accepted;
        };
        window->resize(1000, 700);
        window->show();
        area = window->boardWidget()->viewport();
    }
    QPoint pixel(std::int32_t x, std::int32_t y) const
    {
        return window->view().viewportPixelOf(x, y).toPoint();
    }

    /// A dialog step that types a text, optionally with numbering from a start value.
    static std::function<void(QDialog&)> typeText(const QString& text, bool numbering = false, int start = 0)
    {
        return [=](QDialog& d) {
            d.findChild<QLineEdit*>(QStringLiteral("E_Text"))->setText(text);
            d.findChild<QCheckBox*>(QStringLiteral("CB_WillsteZahl"))->setChecked(numbering);
            d.findChild<QSpinBox*>(QStringLiteral("SE_Start"))->setValue(start);
        };
    }

    void chooseTextTool()
    {
        auto* button = window->findChild<QToolButton*>(QStringLiteral("SB_LineText"));
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        button->click();
    }

    void clickAt(TPoint p)
    {
        QTest::mouseMove(area, pixel(p.x, p.y));
        QTest::mouseClick(area, Qt::LeftButton, {}, pixel(p.x, p.y));
    }

    static TPoint corner(const TObjekt& e)
    {
        const TRect b = Bounds(e);
        return {Saturate32(b.left), Saturate32(b.top)};
    }

    QWidget* area = nullptr;
    std::deque<std::function<void(QDialog&)>> fills;
    QString& nextFile = shell.nextFile;
};

} // namespace

TEST_F(TextWindow, ThreeClicksPlaceR1R2R3AndADoubleClickEditsOne)
{
    fills.push_back(typeText(QStringLiteral("R"), true, 1));
    chooseTextTool();
    EXPECT_EQ(window->session()->tool(), ToolText);

    const TPoint clicks[] = {{2540, -2540}, {5080, -2540}, {7620, -2540}};
    for (TPoint c : clicks)
        clickAt(c);
    QTest::mouseClick(area, Qt::RightButton, {}, pixel(7620, -5080));
    EXPECT_EQ(window->session()->tool(), ToolStandard);
    ASSERT_EQ(elements().size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(elements()[i]->Text, "R" + std::to_string(i + 1));
        EXPECT_EQ(corner(*elements()[i]), clicks[i]);
    }
    EXPECT_EQ(window->project().currentBoard()->UndoStack.size(), 3u);
    EXPECT_TRUE(window->project().Modified);

    // Double click on a stroke of "R2": the dialog shows the text, which becomes "Q7".
    const TObjekt* r2 = elements()[1].get();
    const TPoint on = r2->Strokes[0].Points[0];
    fills.push_back([](QDialog& d) {
        auto* text = d.findChild<QLineEdit*>(QStringLiteral("E_Text"));
        EXPECT_EQ(text->text(), QStringLiteral("R2"));
        EXPECT_FALSE(d.findChild<QCheckBox*>(QStringLiteral("CB_WillsteZahl"))->isEnabled());
        text->setText(QStringLiteral("Q7"));
    });
    QTest::mouseDClick(area, Qt::LeftButton, {}, pixel(on.x, on.y));
    ASSERT_EQ(elements().size(), 3u);
    EXPECT_EQ(elements()[1]->Text, "Q7");
    EXPECT_EQ(corner(*elements()[1]), clicks[1]);
    EXPECT_EQ(window->project().currentBoard()->UndoStack.size(), 4u);

    window->action(QStringLiteral("Undo"))->trigger();
    EXPECT_EQ(elements()[1]->Text, "R2");
}

TEST_F(TextWindow, AMenuCommandWhilePlacingActsOnTheBoardNotOnThePreview)
{
    fills.push_back(typeText(QStringLiteral("R"), true, 1));
    chooseTextTool();
    clickAt({2540, -2540});
    ASSERT_EQ(elements().size(), 2u); // R1 and the selected preview of R2
    window->action(QStringLiteral("Lschen1"))->trigger();
    EXPECT_EQ(window->session()->tool(), ToolStandard);
    ASSERT_EQ(elements().size(), 1u);
    EXPECT_EQ(elements()[0]->Text, "R1");
    // Undo takes back the placed R1, not a deleted preview.
    window->action(QStringLiteral("Undo"))->trigger();
    EXPECT_TRUE(elements().empty());
}

TEST_F(TextWindow, ATextOfBlanksIsRefusedWithItsMessage)
{
    fills.push_back(typeText(QStringLiteral("   ")));
    chooseTextTool();
    EXPECT_EQ(window->session()->tool(), ToolStandard);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Layout-text"));
    EXPECT_EQ(boxes[0].text, QStringLiteral("The text could not be generated."));
    EXPECT_TRUE(elements().empty());
    EXPECT_FALSE(window->project().Modified);
}

TEST_F(TextWindow, TheTextFieldRefusesCharactersOutsideTheFileEncoding)
{
    TLinienText_Dlg dialog;
    QLineEdit* field = dialog.text();
    // Typed text is validated as insert() does it.
    field->insert(QStringLiteral("Ä€ok"));
    field->insert(QString(QChar(0x0416))); // a Cyrillic letter has no Windows-1252 code
    EXPECT_EQ(field->text(), QStringLiteral("Ä€ok"));
    EXPECT_EQ(dialog.settings().text, std::string("\xC4\x80ok"));
    EXPECT_EQ(field->maxLength(), 50);
    EXPECT_DOUBLE_EQ(dialog.height()->minimum(), 0.1);
    EXPECT_DOUBLE_EQ(dialog.height()->maximum(), 50.0);
    EXPECT_DOUBLE_EQ(dialog.height()->value(), 5.0);
}

TEST_F(TextWindow, TheGlyphShortcutPutsTheGlyphStringOfTheSelectionOnTheClipboard)
{
    auto track = NewTrack(40, LayerK1);
    AddPoint(*track, {0, 0});
    AddPoint(*track, {250, -800});
    track->Selected = 1;
    elements().push_back(std::move(track));
    EXPECT_EQ(window->findChild<QWidget*>(QStringLiteral("Button1")), nullptr) << "no hidden button any more";
    QApplication::clipboard()->clear();
    window->findChild<QAction*>(QStringLiteral("GlyphAuthoring"))->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("XXXXXX+00+00+25-80ZZZZZZ"));
}

TEST_F(TextWindow, OldFontTextsAreConvertedAfterTheQuestionWhenAFileIsOpened)
{
    using namespace filebuilder;
    File f;
    f.header(3).i32(1).str("Alt", 30).raw(boardBlock(Block{}, 3)).i32(1);
    f.raw(recV3({.kind = 3,
                 .x = 1000,
                 .y = -1000,
                 .size1 = 1600,
                 .size2 = -1150,
                 .width = -40,
                 .layer = 2,
                 .text = "OLD"}))
        .ids32({});
    f.i32(0).i32(0).i32(0); // board shown, an origin that is read past
    const QString file = dir.filePath(QStringLiteral("old.lay"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(f.b.data()), static_cast<qint64>(f.b.size()));
    }
    // A backup newer than the file, left by a crash: the conversion marks the project modified
    // while its boxes are open, but no autosave may replace the backup before it was offered.
    const QString backup = dir.filePath(QStringLiteral("old.bak"));
    {
        QFile out(backup);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(f.b.data()), static_cast<qint64>(f.b.size()));
        out.write("the crashed session's work");
    }
    {
        QFile older(file);
        ASSERT_TRUE(older.open(QIODevice::ReadWrite));
        older.setFileTime(QDateTime::currentDateTime().addSecs(-600), QFileDevice::FileModificationTime);
    }
    std::vector<bool> backupStarted;
    shell.onBox = [&](const ShownBox&) {
        backupStarted.push_back(window->autoSaver().tick());
        window->autoSaver().waitForWrite();
        return shell.nextAnswer();
    };
    nextFile = file;
    // Convert, the two notices (converted, older version), then no restore.
    answers = {QMessageBox::Yes, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::No};
    window->fileOpen();

    ASSERT_GE(boxes.size(), 4u);
    EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("There are 1 Font-Text elements on the layout.")))
        << boxes[0].text.toStdString();
    EXPECT_EQ(boxes[1].text, QStringLiteral("Text-elements converted."));
    EXPECT_TRUE(boxes[3].text.startsWith(QStringLiteral("There is a newer backup")))
        << boxes[3].text.toStdString();
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_FALSE(backupStarted[i]) << "an autosave ran while box " << i << " was open";
    const QStringList kept = QDir(dir.path()).entryList({QStringLiteral("old.bak-*")});
    ASSERT_EQ(kept.size(), 1);
    QFile keptFile(dir.filePath(kept[0]));
    ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(keptFile.readAll().endsWith("the crashed session's work"));
    ASSERT_EQ(elements().size(), 1u);
    const TObjekt& text = *elements()[0];
    EXPECT_EQ(text.Kind, KindLayoutText);
    EXPECT_EQ(text.Text, "OLD");
    EXPECT_EQ(text.Layer, 2);
    EXPECT_FALSE(text.Strokes.empty());
    // Read at 0 degrees, the upper left corner stays on the old reference point.
    const TRect b = Bounds(text);
    EXPECT_EQ(b.left, 1000);
    EXPECT_EQ(b.bottom, -1000);
    EXPECT_TRUE(window->project().Modified);
}
