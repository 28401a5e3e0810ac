#pragma once
// "Fertigungssatz": the folder for the fabrication set of the current board and whether it goes
// into one zip archive. Made for each use.

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;

namespace trevok
{

class TFabDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TFabDlg(QWidget* parent = nullptr);

    void setFolder(const QString& folder);
    QString folder() const;
    void setZip(bool zip);
    bool zip() const;

    /// The folder chooser behind "..."; tests replace it.
    std::function<QString(const QString& title, const QString& start)> chooseFolder;

  private:
    QLineEdit* folder_ = nullptr;
    QCheckBox* zip_ = nullptr;
};

} // namespace trevok
