#ifdef _WIN32
#include "platform/atomic_file.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace tieba {
namespace {

// A write goes to "<data file>.writing-N" first.
constexpr std::string_view kTemporaryInfix = ".writing-";

std::mutex& processWriteMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string windowsErrorText(DWORD code)
{
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return "没有写入权限";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "磁盘空间不足";
    case ERROR_PATH_NOT_FOUND:
        return "文件夹不存在";
    default:
        return "系统错误 " + std::to_string(code);
    }
}

HANDLE toHandle(long long value)
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value));
}

} // namespace

FileRead readRegularFile(const std::string& path)
{
    FileRead read;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        const bool absent = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        read.status = absent ? FileRead::Status::Absent : FileRead::Status::Failed;
        read.error = windowsErrorText(code);
        return read;
    }
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        read.status = FileRead::Status::Failed;
        read.error = "不是普通文件";
        return read;
    }
    char buffer[65536];
    bool failed = false;
    while (true) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            failed = true;
            break;
        }
        if (got == 0)
            break; // the end of the file
        read.bytes.append(buffer, got);
    }
    const DWORD code = failed ? ::GetLastError() : ERROR_SUCCESS;
    ::CloseHandle(file);
    read.status = failed ? FileRead::Status::Failed : FileRead::Status::Ok;
    if (failed) {
        read.bytes.clear();
        read.error = windowsErrorText(code);
    }
    return read;
}

std::string unusableFileReason(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return "是一个文件夹";
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return "是一个链接";
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return "是一个设备";
    return {};
}

FileWriteLock::FileWriteLock(const std::string& path) : guard_(processWriteMutex())
{
    HANDLE file = ::CreateFileA((path + ".lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error_ = windowsErrorText(::GetLastError());
        return;
    }
    OVERLAPPED whole{};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
        error_ = windowsErrorText(::GetLastError());
        ::CloseHandle(file);
        return;
    }
    handle_ = static_cast<long long>(reinterpret_cast<intptr_t>(file));
    held_ = true;
}

FileWriteLock::~FileWriteLock()
{
    if (held_)
        ::CloseHandle(toHandle(handle_)); // closing releases the lock
}

bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error)
{
    const std::string temp = path + std::string(kTemporaryInfix) + std::to_string(::GetCurrentProcessId());
    HANDLE file = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = windowsErrorText(::GetLastError());
        return false;
    }
    bool ok = true;
    while (ok && !bytes.empty()) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
        ok = ::WriteFile(file, bytes.data(), chunk, &done, nullptr) != 0;
        bytes.remove_prefix(done);
    }
    ok = ok && ::FlushFileBuffers(file) != 0;
    DWORD code = ok ? ERROR_SUCCESS : ::GetLastError();
    ::CloseHandle(file);
    // MOVEFILE_WRITE_THROUGH returns only once the rename is on the disk.
    if (ok && !::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        code = ::GetLastError();
    }
    if (!ok) {
        ::DeleteFileA(temp.c_str());
        error = windowsErrorText(code);
    }
    return ok;
}

void removeLeftoverTemporaries(const std::string& path)
{
    static std::set<std::string> cleaned; // guarded by the write lock's process mutex
    if (!cleaned.insert(path).second)
        return;
    const std::filesystem::path dataFile(path);
    const std::string prefix = dataFile.filename().string() + std::string(kTemporaryInfix);
    const std::filesystem::path folder = dataFile.has_parent_path() ? dataFile.parent_path() : ".";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().filename().string().starts_with(prefix) && entry.is_regular_file(error))
            std::filesystem::remove(entry.path(), error);
    }
}

bool fileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool createEmptyFile(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    return ::CloseHandle(file) != 0;
}

// Owner-only access is what the hidden attribute stood for; on Windows the profile folder's
// permissions already keep other users out, so hiding is what remains to do.
void makeOwnerOnly(const std::string& path)
{
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
}

} // namespace tieba
#endif
