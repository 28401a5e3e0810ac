#pragma once
// The button row every dialog of the program ends with: OK, Cancel and, where the dialog has a
// help topic, Help, all labelled in the language of the run.

class QDialog;
class QDialogButtonBox;

namespace trevok
{

/// Adds OK ("&OK"), Cancel ("&Abbrechen") and, for helpTopic > 0, Help ("&Hilfe"), connected to
/// accept, reject and ShowHelpTopic(helpTopic). F1 inside the dialog opens the topic too.
QDialogButtonBox* MakeDialogButtons(QDialog* dialog, int helpTopic, bool withCancel = true);

} // namespace trevok
