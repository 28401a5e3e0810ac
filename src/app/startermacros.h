#pragma once
// The starter macro library compiled into the program (":/macros") and its installation into
// the default macro folder on the first start.

#include <QString>

namespace trevok
{

/// When folder does not exist: creates it and copies every file below ":/macros" into it,
/// keeping the subfolders, each copy writable by its owner. Returns the number of files copied.
/// When folder exists (even empty), nothing is touched and 0 is returned, so a user who deleted
/// or changed the starter macros keeps his choice. Never overwrites a file. -1 when the folder
/// could not be created.
int InstallStarterMacros(const QString& folder);

} // namespace trevok
