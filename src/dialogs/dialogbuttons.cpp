#include "dialogs/dialogbuttons.h"

#include "app/help.h"
#include "view/texts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QShortcut>

namespace trevok
{

QDialogButtonBox* MakeDialogButtons(QDialog* dialog, int helpTopic, bool withCancel)
{
    auto* box = new QDialogButtonBox(dialog);
    box->addButton(QDialogButtonBox::Ok)->setText(T("&OK", "&OK", "&OK"));
    if (withCancel)
        box->addButton(QDialogButtonBox::Cancel)->setText(T("&Abbrechen", "&Cancel", "&Annuler"));
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    if (helpTopic > 0) {
        QPushButton* help = box->addButton(QDialogButtonBox::Help);
        help->setText(T("&Hilfe", "&Help", "&Aide"));
        QObject::connect(box, &QDialogButtonBox::helpRequested, dialog,
                         [helpTopic] { ShowHelpTopic(helpTopic); });
        auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), dialog);
        QObject::connect(f1, &QShortcut::activated, dialog, [helpTopic] { ShowHelpTopic(helpTopic); });
    }
    return box;
}

} // namespace trevok
