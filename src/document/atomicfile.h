#pragma once
// Reading a file whole, and replacing a file so that an interrupted or failed save never
// destroys what was there before.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

namespace trevok
{

/// The whole content of a file. Throws TrevokError FileNotFound when there is no such file and
/// ReadError {path, system reason} when it cannot be read (a folder, no permission, above 1 GiB).
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

/// How WriteFileAtomically treats an existing file that has other names (hard links). Replacing
/// it gives the new content to this name only; the other names keep the old content.
struct WriteOptions {
    /// Throw TrevokError HardLinked {path, number of names} instead of replacing such a file, so
    /// that the caller can ask first.
    bool refuseHardLinked = false;
};

/// Replaces the file at path by data: the data go to a new file in the same folder, which is
/// flushed to the disk and then renamed over the target, and the folder entry is flushed too.
/// At every moment, even when the process is killed, path holds either its complete old
/// content or the complete new one. A path that is a symbolic link replaces the file it names;
/// an existing file keeps its permission bits and, where the process may set them, its owner
/// and group. A file the user could not write in place is not replaced: TrevokError
/// WriteProtected {path} (the rename alone would bypass the file's own protection).
/// On failure the temporary file is removed and TrevokError WriteError {path, system reason}
/// is thrown; the old file is then untouched (except when only the final flush of the folder
/// failed: the new content is in place but may not have reached the disk, which is reported
/// all the same). Temporaries that killed saves of the same target left behind (see
/// IsStaleTemporary) are removed on the way.
void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                         const WriteOptions& options = {});

/// One file of a set written as a whole.
struct FileToWrite {
    std::string path;
    std::span<const std::uint8_t> data;
};

/// Replaces several files as one: every file is written and flushed under a temporary name
/// first, and only when all of them were written are they renamed into place. On failure
/// TrevokError WriteError names the file that failed; none of the new files remain and the
/// old files keep their content (a rename refused half-way is undone by putting the old files
/// back), so a reader never finds a mix of an old and a new set. Each file is treated as
/// WriteFileAtomically treats one (links followed, permissions kept, long names allowed).
void WriteFilesAtomically(std::span<const FileToWrite> files);

/// Whether a file name in the target's folder is a temporary of a save of that target (by its
/// name: ".<target name>.trevok-<process id>-<n>-<n>.tmp", the target name cut short where the
/// whole would pass the file system's 255 bytes) and the process that wrote it is
/// gone; the pid is given back in that case. Age is checked by the caller.
bool IsOwnTemporary(const std::string& targetName, const std::string& fileName, long* pid = nullptr);

/// What a file looked like when it was read or written: to notice that another program changed
/// it since. Equal stamps mean "not changed, as far as the system can tell".
struct FileStamp {
    long long modifiedNs = 0;
    long long size = 0;
    unsigned long long inode = 0;
    bool operator==(const FileStamp&) const = default;
};
/// The stamp of the file at path (following links); nothing when there is no such file.
std::optional<FileStamp> StampOf(const std::string& path);

/// The system calls WriteFileAtomically goes through. Tests replace them to inject failures
/// (a full disk, an I/O error on flushing, a refused rename); everything else leaves them.
struct AtomicFileCalls {
    ssize_t (*write)(int fd, const void* buffer, size_t size);
    int (*fsync)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*fchown)(int fd, uid_t owner, gid_t group);
};
/// The calls in use; assign members to replace them, RestoreAtomicFileCalls() to undo.
AtomicFileCalls& CurrentAtomicFileCalls() noexcept;
void RestoreAtomicFileCalls() noexcept;

} // namespace trevok
