#ifndef _WIN32
#include "platform/atomic_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_error_text.h"

namespace tieba {
namespace {

constexpr mode_t kOwnerOnly = 0600;
// A write goes to "<data file>.writing-XXXXXX" first.
constexpr std::string_view kTemporaryInfix = ".writing-";

std::mutex& processWriteMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string folderOf(const std::string& path)
{
    const std::filesystem::path file(path);
    return file.has_parent_path() ? file.parent_path().string() : std::string(".");
}

std::string kindReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return "是一个文件夹";
    if (S_ISFIFO(mode))
        return "是一个管道";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "是一个设备";
    if (S_ISSOCK(mode))
        return "是一个套接字";
    return "不是普通文件";
}

std::string resolved(const std::string& path)
{
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(done));
    }
    return true;
}

// After a rename the new name lives in the folder's entries; until those reach the disk a power
// cut can bring the previous file back.
void syncFolder(const std::string& path)
{
    int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

FileRead readRegularFile(const std::string& path)
{
    FileRead read;
    // Non-blocking, so that opening a pipe nobody writes to returns at once.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        read.status = errno == ENOENT ? FileRead::Status::Absent : FileRead::Status::Failed;
        read.error = fileErrorText(errno);
        return read;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        read.status = FileRead::Status::Failed;
        read.error = kindReason(info.st_mode);
        ::close(fd);
        return read;
    }
    read.bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    while (true) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            read.status = FileRead::Status::Failed;
            read.error = fileErrorText(errno);
            read.bytes.clear();
            ::close(fd);
            return read;
        }
        read.bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    read.status = FileRead::Status::Ok;
    return read;
}

std::string unusableFileReason(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return {}; // absent, or a failure the read or the write will report itself
    if (S_ISLNK(info.st_mode)) {
        const std::string target = resolved(path);
        if (target.empty())
            return "是一个指向不存在位置的链接";
        if (std::filesystem::path(target).parent_path().string() != resolved(folderOf(path)))
            return "是一个指向数据文件夹以外的链接";
        if (::stat(target.c_str(), &info) != 0)
            return {};
    }
    return S_ISREG(info.st_mode) ? std::string() : kindReason(info.st_mode);
}

FileWriteLock::FileWriteLock(const std::string& path) : guard_(processWriteMutex())
{
    int fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kOwnerOnly);
    if (fd < 0) {
        error_ = fileErrorText(errno);
        return;
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            error_ = fileErrorText(errno);
            ::close(fd);
            return;
        }
    }
    handle_ = fd;
    held_ = true;
}

FileWriteLock::~FileWriteLock()
{
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_)); // closing releases the flock
}

bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error)
{
    std::string temp = path + std::string(kTemporaryInfix) + "XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = fileErrorText(errno);
        return false;
    }
    bool ok = ::fchmod(fd, kOwnerOnly) == 0 && writeAll(fd, bytes) && ::fdatasync(fd) == 0;
    int failure = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        error = fileErrorText(failure);
        return false;
    }
    syncFolder(path);
    return true;
}

void removeLeftoverTemporaries(const std::string& path)
{
    static std::set<std::string> cleaned; // guarded by the write lock's process mutex
    if (!cleaned.insert(path).second)
        return;
    const std::filesystem::path dataFile(path);
    const std::string prefix = dataFile.filename().string() + std::string(kTemporaryInfix);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folderOf(path), error)) {
        const std::string name = entry.path().filename().string();
        const bool temporaryName = name.size() == prefix.size() + 6 && name.starts_with(prefix) &&
                                   std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                                               [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
        if (temporaryName && entry.is_regular_file(error))
            std::filesystem::remove(entry.path(), error);
    }
}

bool fileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool createEmptyFile(const std::string& path)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, kOwnerOnly);
    if (fd < 0)
        return false;
    return ::close(fd) == 0;
}

void makeOwnerOnly(const std::string& path)
{
    ::chmod(path.c_str(), kOwnerOnly);
}

} // namespace tieba
#endif
