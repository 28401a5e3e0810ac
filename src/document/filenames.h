#pragma once
// File names between the system and the window without loss.
//
// Linux file names are bytes. Qt turns them into text as UTF-8 and replaces every byte that is
// not valid UTF-8 by U+FFFD, so such a name can be shown but never opened again. The window
// therefore carries names as QStrings in which each such byte b stands for itself as the
// unpaired surrogate U+DC00 + b (the "surrogate escape" of other systems), and goes to the disk
// only through LocalPath(). Valid names are plain QStrings, unchanged.

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

namespace trevok
{

/// A file name from the system (command line, core) as the window carries it.
QString PathFromLocal(const std::string& bytes);
/// The system's bytes of a name the window carries: the inverse of PathFromLocal.
std::string LocalPath(const QString& path);
/// A name for the eye: escaped bytes become U+FFFD, separators native.
QString DisplayPath(const QString& path);

/// A name as a line of UTF-8 text (the settings file), and back. A name that is valid UTF-8 is
/// stored as it is, so files written before stay alike; any other name is stored as
/// "bytes:" followed by its percent-encoded bytes. A valid name that itself starts with that
/// prefix is encoded too, so every name reads back as written.
QString StoredPath(const QString& path);
QString PathFromStored(const QString& stored);

/// Whether a file of that name exists (also a folder or link target).
bool LocalExists(const QString& path);
/// The whole content of a file; nullopt when it cannot be opened or read. QFile alone would
/// re-encode a name that is not UTF-8 and miss the file.
std::optional<QByteArray> ReadLocalFile(const QString& path);

/// Whether that name is a folder (or a link to one).
bool LocalIsDir(const QString& path);
/// Creates the folder and its missing parents; true when it exists afterwards.
bool LocalMakePath(const QString& path);

} // namespace trevok
