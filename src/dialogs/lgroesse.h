#pragma once
// "Platine einrichten": width and height of the current board in whole millimetres, and its name.

#include "document/project.h"

#include <QDialog>

#include <functional>

class QLineEdit;

namespace trevok
{

class TL_Groesse : public QDialog
{
    Q_OBJECT
  public:
    explicit TL_Groesse(QWidget* parent = nullptr);

    /// Shows the board's size (whole millimetres, truncated) and name.
    void setBoard(const TBoard& board);
    /// After OK: the checked size in units and the name as Windows-1252 bytes.
    BoardSize boardSize() const { return size_; }
    std::string boardName() const;
    /// After OK: sets size and name of the current board and marks the project modified.
    void applyTo(TProject& project) const { applyBoardProperties(project, size_, boardName()); }

    /// OK checks both fields; a size outside 1..300 mm shows the range message and keeps the
    /// dialog open.
    void accept() override;

    /// How the range message is shown (caption, text); tests replace the message box.
    std::function<void(const QString& caption, const QString& text)> showMessage;

  private:
    QLineEdit* width_;
    QLineEdit* height_;
    QLineEdit* name_;
    BoardSize size_;
};

} // namespace trevok
