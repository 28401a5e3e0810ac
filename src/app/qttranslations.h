#pragma once
// Qt's own texts (the buttons and labels of the colour and file dialogs, the standard buttons
// of boxes the program does not label itself) in the language of the run.

class QTranslator;

namespace trevok
{

/// Loads Qt's translation for the language (0 German, 2 French) from the folder where Qt keeps
/// its translations and installs it in the application, which owns it. English needs none.
/// Returns the installed translator, or nullptr when there is none to load.
QTranslator* InstallQtTranslations(int language);

} // namespace trevok
