#pragma once
// Reading a file whole, and replacing a file so that an interrupted or failed save never
// destroys what was there before.

#include <cstdint>
#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

namespace trevok
{

/// The whole content of a file. Throws TrevokError FileNotFound when there is no such file and
/// ReadError {path, system reason} when it cannot be read (a folder, no permission, above 1 GiB).
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

/// Replaces the file at path by data: the data go to a new file in the same folder, which is
/// flushed to the disk and then renamed over the target, and the folder entry is flushed too.
/// At every moment, even when the process is killed, path holds either its complete old
/// content or the complete new one. A path that is a symbolic link replaces the file it names;
/// an existing file keeps its permission bits. On failure the temporary file is removed and
/// TrevokError WriteError {path, system reason} is thrown; the old file is then untouched
/// (except when only the final flush of the folder failed: the new content is in place but
/// may not have reached the disk, which is reported all the same).
void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data);

/// The system calls WriteFileAtomically goes through. Tests replace them to inject failures
/// (a full disk, an I/O error on flushing, a refused rename); everything else leaves them.
struct AtomicFileCalls {
    ssize_t (*write)(int fd, const void* buffer, size_t size);
    int (*fsync)(int fd);
    int (*rename)(const char* from, const char* to);
};
/// The calls in use; assign members to replace them, RestoreAtomicFileCalls() to undo.
AtomicFileCalls& CurrentAtomicFileCalls() noexcept;
void RestoreAtomicFileCalls() noexcept;

} // namespace trevok
