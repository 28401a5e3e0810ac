#pragma once
// The main window under test: one scripted stand-in for the person at the screen (FakeShell) and
// one fixture that makes an English window with its settings in a temporary folder.

#include "languageguard.h"

#include "app/mainwindow.h"
#include "app/shell.h"
#include "document/project.h"
#include "view/texts.h"
#include "view/viewmodel.h"

#include <QDialog>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace trevok
{

/// A message box as the window showed it.
struct ShownBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;

    /// "caption: text", the way a test names a box in one string.
    QString line() const { return caption + QStringLiteral(": ") + text; }
};

class FakeShell final : public Shell
{
  public:
    /// Every box shown, in order.
    std::vector<ShownBox> boxes;
    /// The answers to the next boxes in turn; with none left a box is answered OK.
    std::deque<QMessageBox::StandardButton> answers;
    /// When set, answers each box instead (the box is recorded first).
    std::function<QMessageBox::StandardButton(const ShownBox& box)> onBox;
    /// What every file-name question returns (empty: cancelled).
    QString nextFile;
    /// When set, answers the file-name questions instead.
    std::function<QString(bool save, const QString& caption, const QString& folder, const QString& filter)>
        onFileName;
    /// Runs each modal dialog; none set means every dialog is cancelled.
    std::function<bool(QDialog& dialog)> onDialog;
    /// The design-problem questions asked, and the answer they get.
    QStringList designQuestions;
    QMessageBox::StandardButton designAnswer = QMessageBox::Cancel;
    /// The folders shown in the file manager, and whether that works.
    QStringList openedFolders;
    bool folderOpens = true;
    /// The last text put into the status line.
    QString status;

    /// The next scripted answer (OK when none is left).
    QMessageBox::StandardButton nextAnswer()
    {
        if (answers.empty())
            return QMessageBox::Ok;
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QMessageBox::StandardButton messageBox(QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons) override
    {
        boxes.push_back({icon, caption, text, buttons});
        return onBox ? onBox(boxes.back()) : nextAnswer();
    }
    QString askFileName(bool save, const QString& caption, const QString& folder,
                        const QString& filter) override
    {
        return onFileName ? onFileName(save, caption, folder, filter) : nextFile;
    }
    bool runDialog(QDialog& dialog) override { return onDialog ? onDialog(dialog) : false; }
    QMessageBox::StandardButton askDesignProblems(const QString& text) override
    {
        designQuestions << text;
        return designAnswer;
    }
    bool openFolder(const QString& folder) override
    {
        openedFolders << folder;
        return folderOpens;
    }
    void showStatus(const QString& text) override { status = text; }

    /// A dialog runner that fills each dialog (when fill is set) and accepts it through the
    /// dialog's own accept, which checks its fields.
    static std::function<bool(QDialog&)> accepting(std::function<void(QDialog&)> fill = {})
    {
        return [fill = std::move(fill)](QDialog& dialog) {
            if (fill)
                fill(dialog);
            dialog.accept();
            return dialog.result() == QDialog::Accepted;
        };
    }
};

/// A main window whose questions the fake answers; its settings, macros and backups
/// live in a temporary folder.
class WindowTest : public ::testing::Test
{
  protected:
    /// language: the language of the window (English unless a test of German texts says so).
    explicit WindowTest(int language = 1) : language_(language) {}

    void SetUp() override
    {
        languageGuard_.emplace(language_);
        ASSERT_TRUE(dir.isValid());
        qputenv("TREVOK_HOME", dir.path().toLocal8Bit());
        window = makeWindow();
    }
    void TearDown() override
    {
        // Nothing may be asked while the fixture goes away.
        if (window)
            window->project().Modified = false;
        window.reset();
        qunsetenv("TREVOK_HOME");
        languageGuard_.reset();
    }

    /// A new window on the fixture's settings file and shell (in the language set now).
    std::unique_ptr<MainWindow> makeWindow()
    {
        return std::make_unique<MainWindow>(dir.filePath(QStringLiteral("TREVOK40.INI")), nullptr, &shell);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    TBoard& board() { return *window->project().currentBoard(); }
    ElementList& elements() { return board().Elements; }
    /// The viewport pixel of a board point.
    QPoint pixel(TPoint p) const { return window->view().viewportPixelOf(p.x, p.y).toPoint(); }

    QTemporaryDir dir;
    FakeShell shell;
    std::vector<ShownBox>& boxes = shell.boxes;
    std::deque<QMessageBox::StandardButton>& answers = shell.answers;
    std::unique_ptr<MainWindow> window;

  private:
    int language_;
    std::optional<Language> languageGuard_;
};

} // namespace trevok
