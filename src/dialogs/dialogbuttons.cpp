#include "dialogs/dialogbuttons.h"

#include "dialogs/help.h"
#include "view/texts.h"

#include <QAbstractButton>
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

QString StandardButtonText(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok:
        return T("&OK", "&OK", "&OK");
    case QMessageBox::Cancel:
        return T("&Abbrechen", "&Cancel", "&Annuler");
    case QMessageBox::Yes:
        return T("&Ja", "&Yes", "&Oui");
    case QMessageBox::No:
        return T("&Nein", "&No", "&Non");
    case QMessageBox::Close:
        return T("S&chließen", "&Close", "&Fermer");
    case QMessageBox::Help:
        return T("&Hilfe", "&Help", "&Aide");
    default:
        return {};
    }
}

void LabelStandardButtons(QMessageBox& box)
{
    for (QAbstractButton* b : box.buttons()) {
        const QString text = StandardButtonText(box.standardButton(b));
        if (!text.isEmpty())
            b->setText(text);
    }
}

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(icon, caption, shown, buttons, parent);
    LabelStandardButtons(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace trevok
