// The small dialogs of the application shell and the help window, off screen.
#include "app/qttranslations.h"
#include "dialogs/autosavedlg.h"
#include "dialogs/colordlg.h"
#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "dialogs/layerinfo.h"
#include "dialogs/lgroesse.h"
#include "dialogs/projektinfodlg.h"
#include "dialogs/rasterdlg.h"
#include "dialogs/undodlg.h"
#include "dialogs/verzeichnisdlg.h"
#include "languageguard.h"
#include "view/texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>

#include <gtest/gtest.h>

using namespace trevok;

TEST(ShellDialogs, AutoSaveIntervalFollowsTheCheckBoxAndIsKeptInWholeMinutes)
{
    Language de(0);
    TAutoSaveDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Autospeichern");
    auto* box = dlg.findChild<QCheckBox*>("RB_AutoSave");
    auto* cycle = dlg.findChild<QSpinBox*>("SE_Zyklus");
    dlg.setValues(false, 150000);
    EXPECT_EQ(cycle->value(), 2) << "ms div 60000";
    EXPECT_FALSE(cycle->isEnabled());
    QTest::mouseClick(dlg.findChild<QLabel*>("L_Erklaerung"), Qt::LeftButton);
    EXPECT_TRUE(box->isChecked()) << "clicking the explanation ticks the box";
    EXPECT_TRUE(cycle->isEnabled());
    EXPECT_EQ(dlg.intervalMs(), 120000);
    dlg.setValues(true, 10);
    EXPECT_EQ(cycle->value(), 1);
}

TEST(ShellDialogs, UndoDepthShowsStepsAndReturnsStepsMinusOne)
{
    TUndoDlg dlg;
    dlg.setDepth(0);
    EXPECT_EQ(dlg.findChild<QSpinBox*>("SE_Undo")->value(), 1);
    EXPECT_EQ(dlg.depth(), 0) << "one step: only the last change can be undone";
    dlg.setDepth(50);
    EXPECT_EQ(dlg.findChild<QSpinBox*>("SE_Undo")->value(), 50) << "the default depth fits the range";
    EXPECT_EQ(dlg.depth(), 49);
}

TEST(ShellDialogs, BoardSizeOutsideTheRangeKeepsTheDialogOpenWithTheMessage)
{
    Language en(1);
    TL_Groesse dlg;
    QStringList messages;
    dlg.showMessage = [&](const QString&, const QString& text) { messages << text; };
    TBoard board;
    board.BoardWidth = 16099;
    board.Name = "Platine 1";
    dlg.setBoard(board);
    EXPECT_EQ(dlg.findChild<QLineEdit*>("E_Breite")->text(), "160") << "whole millimetres, truncated";
    EXPECT_EQ(dlg.findChild<QLineEdit*>("E_Name")->text(), "Platine 1");

    dlg.findChild<QLineEdit*>("E_Breite")->setText("301");
    dlg.show();
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "Please enter values from 1 mm to 300 mm.");

    dlg.findChild<QLineEdit*>("E_Breite")->setText("abc");
    dlg.accept();
    EXPECT_EQ(messages.size(), 2) << "text that is no number counts as 0";

    dlg.findChild<QLineEdit*>("E_Breite")->setText("99,5");
    dlg.findChild<QLineEdit*>("E_Name")->setText(QString::fromUtf8("Verstärker"));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.boardSize().Width, 10000) << "rounded to whole millimetres";
    EXPECT_EQ(dlg.boardSize().Height, 10000);
    EXPECT_EQ(dlg.boardName(), "Verst\xe4rker") << "Windows-1252 bytes";

    TProject project;
    startNewProject(project, 1);
    dlg.applyTo(project);
    EXPECT_EQ(project.currentBoard()->BoardWidth, 10000);
    EXPECT_EQ(project.currentBoard()->Name, "Verst\xe4rker");
    EXPECT_TRUE(project.Modified);
}

TEST(ShellDialogs, ProjectInfoKeepsLimitsAndCrLfLineBreaks)
{
    TProjektInfoDlg dlg;
    TProjectInfo info;
    info.Title = "Netzteil";
    info.Comment = "Zeile 1\r\nZeile 2";
    dlg.setInfo(info);
    EXPECT_EQ(dlg.findChild<QPlainTextEdit*>("M_Kommentar")->toPlainText(), "Zeile 1\nZeile 2");
    EXPECT_EQ(dlg.info().Comment, "Zeile 1\r\nZeile 2");
    EXPECT_EQ(dlg.info().Title, "Netzteil");

    dlg.findChild<QLineEdit*>("E_Autor")->setText(QString(150, 'a'));
    EXPECT_EQ(dlg.info().Author.size(), 100u);
    // 950 lines of one letter: 950 letters and 949 line breaks of two bytes each would be 2848.
    QString lines;
    for (int i = 0; i < 950; ++i)
        lines += i ? QStringLiteral("\nx") : QStringLiteral("x");
    dlg.findChild<QPlainTextEdit*>("M_Kommentar")->setPlainText(lines);
    EXPECT_LE(dlg.info().Comment.size(), 1900u);
    EXPECT_GE(dlg.info().Comment.size(), 1899u);
    EXPECT_NE(dlg.info().Comment.back(), '\r') << "no half line break at the end";
}

TEST(ShellDialogs, WorkingDirectoriesBrowseWithTheFieldsTitleAndPreset)
{
    Language fr(2);
    TVerzeichnisDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Edition Répertoires par défaut"));
    dlg.setFolders({"/l", "/g", "/b", "/v", "/p"});
    QString askedTitle, askedStart;
    dlg.chooseFolder = [&](const QString& title, const QString& start) {
        askedTitle = title;
        askedStart = start;
        return QStringLiteral("/chosen");
    };
    QTest::mouseClick(dlg.findChild<QWidget*>("Browse2"), Qt::LeftButton);
    EXPECT_EQ(askedTitle,
              QString::fromUtf8("Sélectionnez s´il vous plait un répertoire par défaut pour Export Gerber"));
    EXPECT_EQ(askedStart, "/g");
    EXPECT_EQ(dlg.folders().gerber, "/chosen");
    EXPECT_EQ(dlg.folders().plt, "/p");

    dlg.chooseFolder = [](const QString&, const QString&) { return QString(); };
    dlg.browse(0);
    EXPECT_EQ(dlg.folders().layout, "/l") << "a cancelled chooser changes nothing";
}

TEST(ShellDialogs, LayerInformationShowsEachLayersColourUnderItsCaption)
{
    Language fr(2);
    const std::array<QColor, 4> colours{Qt::red, Qt::yellow, Qt::blue, Qt::green};
    TLayerInfo dlg(colours);
    EXPECT_EQ(dlg.windowTitle(), "Information couches");
    for (int layer = 1; layer <= 4; ++layer) {
        const QLabel* swatch = dlg.findChild<QLabel*>(QStringLiteral("Colour%1").arg(layer));
        ASSERT_TRUE(swatch);
        const QImage image = swatch->pixmap().toImage();
        EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2), colours[layer - 1]) << layer;
    }
    EXPECT_TRUE(dlg.findChild<QLabel*>("Layer3")->text().contains("C2"));
    dlg.setColours({Qt::black, Qt::black, Qt::black, Qt::white});
    const QImage image = dlg.findChild<QLabel*>("Colour4")->pixmap().toImage();
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));
}

TEST(Help, EachDialogTopicWithAPageOpensItAndOthersDoNothing)
{
    Language en(1);
    for (int topic : {HelpTopic::Contents, HelpTopic::BoardSize, HelpTopic::Grid, HelpTopic::LayerInfo,
                      HelpTopic::AutoSave, HelpTopic::Gerber, HelpTopic::Drill, HelpTopic::ProjectInfo,
                      HelpTopic::Colours, HelpTopic::Directories, HelpTopic::PhotoView, HelpTopic::Router,
                      HelpTopic::Milling, HelpTopic::Print, HelpTopic::Template, HelpTopic::FabricationSet})
        for (int language = 0; language < 3; ++language)
            EXPECT_TRUE(HelpUrl(topic, language).isValid()) << topic << " " << language;

    EXPECT_FALSE(HelpUrl(12345, 1).isValid());
    EXPECT_FALSE(ShowHelpTopic(12345));

    ASSERT_TRUE(ShowHelpTopic(HelpTopic::AutoSave));
    HelpWindow* window = CurrentHelpWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose)) << "closing the main window ends the program";
    EXPECT_TRUE(window->browser()->toPlainText().contains("backup")) << "the page was loaded";
    EXPECT_EQ(window->browser()->source().path(), "/help/en/autosave.html");
    // A link of the contents page leads to another page.
    ASSERT_TRUE(ShowHelpContents());
    EXPECT_TRUE(window->browser()->toPlainText().contains("Working directories"));
    window->close();
}

TEST(Help, GridAndColourDialogsHaveAHelpButtonAndF1)
{
    Language de(0);
    TRasterDlg grid;
    TColor_Dlg colours;
    const std::pair<QDialog*, const char*> dialogs[] = {{&grid, "/help/de/grid.html"},
                                                        {&colours, "/help/de/colours.html"}};
    for (const auto& [dialog, page] : dialogs) {
        auto* box = dialog->findChild<QDialogButtonBox*>();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->button(QDialogButtonBox::Ok)->text(), "&OK");
        EXPECT_EQ(box->button(QDialogButtonBox::Cancel)->text(), "&Abbrechen");
        QPushButton* help = box->button(QDialogButtonBox::Help);
        ASSERT_TRUE(help) << dialog->objectName().toStdString();
        EXPECT_EQ(help->text(), "&Hilfe");
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog, Qt::Key_F1);
        ASSERT_TRUE(CurrentHelpWindow());
        EXPECT_EQ(CurrentHelpWindow()->browser()->source().path(), page);
        CurrentHelpWindow()->close();
        dialog->hide();
    }
}

TEST(Help, HelpAskedForInAModalDialogCanBeUsedAndOutlivesTheDialog)
{
    Language en(1);
    TRasterDlg dialog;
    bool clicked = false;
    QString pageWhileModal;
    QTimer::singleShot(0, &dialog, [&] {
        // F1 inside the running modal dialog.
        dialog.activateWindow();
        (void)QTest::qWaitForWindowActive(&dialog);
        QTest::keyClick(&dialog, Qt::Key_F1);
        HelpWindow* help = CurrentHelpWindow();
        if (!help || !QTest::qWaitForWindowExposed(help)) {
            dialog.reject();
            return;
        }
        // A click that goes the way of the window system: a blocked window would drop it.
        QToolButton* contents = help->findChildren<QToolButton*>().value(0);
        QTest::mouseClick(help->windowHandle(), Qt::LeftButton, {},
                          contents->mapTo(help, contents->rect().center()));
        clicked = true;
        pageWhileModal = help->browser()->source().path();
        dialog.reject();
    });
    dialog.exec();
    ASSERT_TRUE(clicked);
    EXPECT_EQ(pageWhileModal, "/help/en/index.html") << "the contents button answered";
    HelpWindow* help = CurrentHelpWindow();
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible()) << "the help window stays when the dialog closes";
    EXPECT_EQ(help->parentWidget(), nullptr);
    help->close();
}

TEST(Language, StandardButtonsAndQtsOwnTextsFollowTheLanguage)
{
    const struct {
        int language;
        const char *yes, *no, *cancel;
    } cases[] = {
        {0, "&Ja", "&Nein", "&Abbrechen"}, {1, "&Yes", "&No", "&Cancel"}, {2, "&Oui", "&Non", "&Annuler"}};
    for (const auto& c : cases) {
        Language lang(c.language);
        // The question box is answered as soon as it shows; its buttons are read first.
        QStringList seen;
        QTimer::singleShot(0, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            for (QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
                seen << box->button(b)->text();
            box->button(QMessageBox::No)->click();
        });
        EXPECT_EQ(ShowMessageBox(nullptr, QMessageBox::Question, "Trevok", "?",
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel),
                  QMessageBox::No);
        EXPECT_EQ(seen, QStringList({c.yes, c.no, c.cancel}));
    }

    // Qt's own dialogs (colour and file choice) take Qt's translation of the language.
    for (const auto& [language, cancel] : {std::pair{0, "Abbrechen"}, std::pair{2, "Annuler"}}) {
        QTranslator* qt = InstallQtTranslations(language);
        ASSERT_TRUE(qt) << "qtbase translation for language " << language;
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancel);
        QCoreApplication::removeTranslator(qt);
        delete qt;
    }
    EXPECT_EQ(InstallQtTranslations(1), nullptr) << "English needs none";
}
