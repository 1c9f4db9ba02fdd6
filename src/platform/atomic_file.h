#pragma once
#include <mutex>
#include <string>
#include <string_view>

namespace tieba {

// The file side of the data file: a read that never blocks on a pipe or a device, a lock held
// by one writer at a time (threads of this process and other instances of the program), and a
// replacement that a crash or a power cut sees either whole or not at all. POSIX and Windows
// implementations; error texts are UTF-8 and say what went wrong in words a user can act on.

struct FileRead {
    enum class Status { Ok, Absent, Failed } status = Status::Absent;
    std::string bytes;
    std::string error; // why it failed, when it did
};

// Reads a regular file whole. Anything that is not a regular file (a folder, a pipe, a device)
// fails at once without being read.
FileRead readRegularFile(const std::string& path);

// Why the data file at `path` must be left alone, or the empty text when it may be read and
// replaced: it is absent, a regular file, or a link to a regular file in the same folder.
std::string unusableFileReason(const std::string& path);

// Held around every replacement of a file: one writer at a time in this process and across
// program instances (a lock file beside the data file: the data file itself is replaced by each
// write, so a lock on it would not outlive the write).
class FileWriteLock {
public:
    explicit FileWriteLock(const std::string& path);
    ~FileWriteLock();
    FileWriteLock(const FileWriteLock&) = delete;
    FileWriteLock& operator=(const FileWriteLock&) = delete;

    bool held() const { return held_; }
    const std::string& error() const { return error_; }

private:
    std::unique_lock<std::mutex> guard_;
    bool held_ = false;
    std::string error_;
    long long handle_ = -1; // the lock file's descriptor or handle
};

// Writes a temporary file beside `path`, flushes it to the disk, renames it over `path` and
// flushes the folder, so the old file or the new one is there after any crash. Call with the
// write lock held. False (and `error` set) when any step failed; the old file is then intact.
bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error);

// A writer killed between creating its temporary file and renaming it leaves the temporary
// behind. Call with the write lock held; looks once per file and process.
void removeLeftoverTemporaries(const std::string& path);

// A regular file (or a link to one) is at `path`.
bool fileExists(const std::string& path);
// Opens the file for writing, creating it owner-only if absent and keeping any content.
bool createEmptyFile(const std::string& path);
// The data file holds passwords, so only its owner may read it.
void makeOwnerOnly(const std::string& path);

} // namespace tieba
