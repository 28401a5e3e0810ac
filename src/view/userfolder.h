#pragma once
// The per-user folder that holds what the program keeps between runs: the settings file, the
// language file, colour schemes, custom colours and the default macro folder.
//
// $TREVOK_HOME when it is set and not empty (tests, portable use), else ~/.config/trevok. The
// folder is not created by asking for its path; writers call EnsureUserFolder() first.

#include <QString>

namespace trevok
{

/// The folder, without a trailing slash. Not created.
QString UserFolder();
/// A file in the folder: UserFolder() + "/" + name.
QString UserFilePath(const QString& name);
/// Creates the folder (with its parents) when it is missing. Returns whether it exists now.
bool EnsureUserFolder();

} // namespace trevok
