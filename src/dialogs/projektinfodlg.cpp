#include "dialogs/projektinfodlg.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "document/cp1252.h"
#include "view/texts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

namespace trevok
{
namespace
{

QString fromBytes(const std::string& bytes)
{
    QString text = QString::fromStdString(Cp1252ToUtf8(bytes));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

std::string toBytes(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return Utf8ToCp1252(text.toStdString());
}

// The comment's size in the file: one byte per character, two for a line break.
qsizetype storedSize(const QString& text)
{
    return text.size() + text.count(QLatin1Char('\n'));
}

} // namespace

TProjektInfoDlg::TProjektInfoDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(T("Projektinfo", "Project info", "Infos Projet"));
    title_ = new QLineEdit(this);
    author_ = new QLineEdit(this);
    company_ = new QLineEdit(this);
    comment_ = new QPlainTextEdit(this);
    title_->setObjectName(QStringLiteral("E_Titel"));
    author_->setObjectName(QStringLiteral("E_Autor"));
    company_->setObjectName(QStringLiteral("E_Firma"));
    comment_->setObjectName(QStringLiteral("M_Kommentar"));
    for (QLineEdit* e : {title_, author_, company_})
        e->setMaxLength(static_cast<int>(MaxInfoFieldBytes));
    comment_->setTabChangesFocus(true);
    comment_->setMinimumSize(420, 160);
    connect(comment_, &QPlainTextEdit::textChanged, this, [this] { limitComment(); });

    auto* form = new QFormLayout;
    form->addRow(T("Titel:", "Title:", "Titre:"), title_);
    form->addRow(T("Autor:", "Author:", "Auteur:"), author_);
    form->addRow(T("Firma:", "Company:", "Société:"), company_);
    form->addRow(T("Kommentar:", "Comment:", "Commentaire:"), comment_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::ProjectInfo));
}

void TProjektInfoDlg::setInfo(const TProjectInfo& info)
{
    title_->setText(fromBytes(info.Title));
    author_->setText(fromBytes(info.Author));
    company_->setText(fromBytes(info.Company));
    comment_->setPlainText(fromBytes(info.Comment));
}

TProjectInfo TProjektInfoDlg::info() const
{
    TProjectInfo info;
    info.Title = toBytes(title_->text());
    info.Author = toBytes(author_->text());
    info.Company = toBytes(company_->text());
    info.Comment = toBytes(comment_->toPlainText());
    return limitProjectInfo(std::move(info));
}

void TProjektInfoDlg::limitComment()
{
    QString text = comment_->toPlainText();
    if (storedSize(text) <= static_cast<qsizetype>(MaxInfoCommentBytes))
        return;
    // Typing or pasting past the limit: keep what fits and put the cursor at its end.
    while (storedSize(text) > static_cast<qsizetype>(MaxInfoCommentBytes))
        text.chop(1);
    const QSignalBlocker block(comment_);
    comment_->setPlainText(text);
    comment_->moveCursor(QTextCursor::End);
}

} // namespace trevok
