#pragma once
// The per-user folder that holds what would sit beside the program on other systems: settings,
// colour schemes, the language file, default macros.

#include <QString>

namespace trevok {

/// $TREVOK_HOME when set and not empty, else ~/.config/trevok. Not created here.
QString UserFolder();
/// The path of a file in the user folder.
QString UserFilePath(const QString& fileName);
/// Creates the user folder (and its parents) if needed; returns whether it exists afterwards.
bool EnsureUserFolder();

} // namespace trevok
