#pragma once
// "Projektinfo": title, author, company and comment of the project.

#include "document/project.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace trevok
{

class TProjektInfoDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TProjektInfoDlg(QWidget* parent = nullptr);

    /// Shows the project's information (Windows-1252 bytes).
    void setInfo(const TProjectInfo& info);
    /// The entered information as Windows-1252 bytes within the limits of the project: title,
    /// author and company 100 bytes, comment 1900 bytes with lines separated by CR LF.
    TProjectInfo info() const;

  private:
    void limitComment();

    QLineEdit* title_;
    QLineEdit* author_;
    QLineEdit* company_;
    QPlainTextEdit* comment_;
};

} // namespace trevok
