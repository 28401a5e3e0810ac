#pragma once
// "Arbeitsverzeichnisse": the five default folders of the file dialogs.

#include "dialogs/workingfolders.h"

#include <QDialog>

#include <array>
#include <functional>

class QLineEdit;

namespace trevok
{

class TVerzeichnisDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TVerzeichnisDlg(QWidget* parent = nullptr);

    void setFolders(const WorkingFolders& folders);
    WorkingFolders folders() const;

    /// The folder chooser behind the "..." buttons: gets the title and the preset folder and
    /// returns the chosen folder, empty when cancelled. Tests replace it.
    std::function<QString(const QString& title, const QString& start)> chooseFolder;

    /// The title of the chooser for field index (0..4).
    QString chooserTitle(int index) const;
    /// Runs the chooser for field index and takes its answer.
    void browse(int index);

  private:
    std::array<QLineEdit*, 5> edits_{}; // Edit1 .. Edit5
    std::array<QString, 5> labels_;
};

} // namespace trevok
