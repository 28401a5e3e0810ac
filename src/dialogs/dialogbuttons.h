#pragma once
// The button row every dialog of the program ends with: OK, Cancel and, where the dialog has a
// help topic, Help, all labelled in the language of the run.

#include <QMessageBox>

class QDialog;
class QDialogButtonBox;
class QWidget;

namespace trevok
{

/// Adds OK ("&OK"), Cancel ("&Abbrechen") and, for helpTopic > 0, Help ("&Hilfe"), connected to
/// accept, reject and ShowHelpTopic(helpTopic). F1 inside the dialog opens the topic too. The
/// dialog is kept wide enough for its title (KeepTitleVisible).
QDialogButtonBox* MakeDialogButtons(QDialog* dialog, int helpTopic, bool withCancel = true);

/// Keeps the dialog at least as wide as its title needs beside the title bar's buttons, now and
/// whenever the title changes: a narrow dialog cut "Bitmap export (all visible layers)" short.
void KeepTitleVisible(QDialog* dialog);
/// F1 in the dialog opens the help topic (for dialogs that build their own buttons).
void AddHelpKey(QDialog* dialog, int helpTopic);
/// The width KeepTitleVisible keeps for a title.
int TitleWidth(const QWidget* dialog, const QString& title);

/// The text of a standard button in the language of the run ("&Ja", "&Nein", "&Abbrechen", ...);
/// empty for a button the program does not use.
QString StandardButtonText(QMessageBox::StandardButton button);
/// Gives every standard button of a message box its text in the language of the run, so that
/// questions read the same whether or not Qt's own translations are installed.
void LabelStandardButtons(QMessageBox& box);
/// A modal message box (carriage returns become line breaks) with labelled buttons; the button
/// chosen.
QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons);

} // namespace trevok
