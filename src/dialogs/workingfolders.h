#pragma once
// The record the working-folders dialog edits and the settings file keeps.

#include <QString>

namespace trevok
{

/// The five default working folders of the file dialogs.
struct WorkingFolders {
    QString layout;    // layout files
    QString gerber;    // Gerber export
    QString bitmap;    // graphics export
    QString templates; // template images
    QString plt;       // HPGL output
    bool operator==(const WorkingFolders&) const = default;
};

} // namespace trevok
