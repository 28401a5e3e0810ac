#include "app/shell.h"

#include "dialogs/dialogbuttons.h"
#include "view/texts.h"

#include <QAbstractButton>

namespace trevok
{

QMessageBox::StandardButton Ask(Shell& shell, QMessageBox::Icon icon, const QString& caption,
                                const QString& text, QMessageBox::StandardButtons buttons)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shell.messageBox(icon, caption, shown, buttons);
}

void ShowMessage(Shell& shell, MsgId id, const std::vector<std::string>& args, QMessageBox::Icon icon)
{
    Ask(shell, icon, CaptionQ(id), MessageQ(id, args), QMessageBox::Ok);
}

QMessageBox::StandardButton AskDesignProblemsBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, T("Designprüfung", "Design check", "Vérification de conception"),
                    QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    LabelStandardButtons(box);
    box.button(QMessageBox::Yes)
        ->setText(T("Trotzdem &exportieren", "&Export anyway", "&Exporter quand même"));
    box.button(QMessageBox::No)->setText(T("Probleme &zeigen", "&Show problems", "&Afficher les problèmes"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::Cancel);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace trevok
