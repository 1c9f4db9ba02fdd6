#include "platform/ini_profile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <set>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tieba {
namespace {

constexpr mode_t kOwnerOnly = 0600;
// A write goes to "<data file>.writing-XXXXXX" first.
constexpr std::string_view kTemporaryInfix = ".writing-";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isLeadByte(char c)
{
    return static_cast<unsigned char>(c) >= 0x80;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names compare like the Windows profile functions: ASCII letters without regard to case, the
// two bytes of a GBK character exactly (a trail byte may look like an ASCII letter).
bool namesEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (isLeadByte(a[i])) {
            if (a[i] != b[i] || (i + 1 < a.size() && a[i + 1] != b[i + 1]))
                return false;
            ++i;
        } else if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// Byte index of the first (or last) `wanted` that stands at a character boundary, or npos.
size_t findAtBoundary(std::string_view text, char wanted, bool last)
{
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < text.size(); i += isLeadByte(text[i]) ? 2 : 1) {
        if (text[i] == wanted) {
            found = i;
            if (!last)
                break;
        }
    }
    return found;
}

// Any of CR LF, LF or a lone CR ends a line; a last line without an ending still counts.
std::vector<std::string_view> splitLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

struct ParsedLine {
    enum class Kind { Other, Section, Entry } kind = Kind::Other;
    std::string_view name; // section name or key, trimmed
    std::string_view value; // entry value, trimmed
};

ParsedLine parseLine(std::string_view raw)
{
    // A NUL ends what the line has to say; whatever follows it is ignored.
    std::string_view content = raw.substr(0, raw.find('\0'));
    while (!content.empty() && isBlank(content.front()))
        content.remove_prefix(1);

    ParsedLine parsed;
    if (!content.empty() && content.front() == '[') {
        size_t close = findAtBoundary(content, ']', true);
        if (close != std::string_view::npos) {
            parsed.kind = ParsedLine::Kind::Section;
            parsed.name = trimBlanks(content.substr(1, close - 1));
            return parsed;
        }
    }
    size_t equals = findAtBoundary(content, '=', false);
    if (equals != std::string_view::npos) {
        parsed.kind = ParsedLine::Kind::Entry;
        parsed.name = trimBlanks(content.substr(0, equals));
        parsed.value = trimBlanks(content.substr(equals + 1));
    }
    return parsed;
}

enum class ReadStatus { Ok, Absent, Failed };

ReadStatus readWholeFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? ReadStatus::Absent : ReadStatus::Failed;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[16384];
    while (true) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return ReadStatus::Failed;
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return ReadStatus::Ok;
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

// Writes a temporary file beside the data file and renames it over it, so a reader (or a crash)
// sees either the old file or the new one, never half of one.
bool replaceFile(const std::string& path, std::string_view bytes)
{
    std::string temp = path + std::string(kTemporaryInfix) + "XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, kOwnerOnly) == 0 && writeAll(fd, bytes) && ::fdatasync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}

// A writer killed between creating its temporary file and renaming it leaves the temporary
// behind. While the write lock is held no other writer is half-way, so whatever carries the
// temporary-file name then is left over; look once per data file and process.
void removeLeftoverTemporaries(const std::string& path)
{
    static std::set<std::string> cleaned; // guarded by the write lock's process mutex
    if (!cleaned.insert(path).second)
        return;
    const std::filesystem::path dataFile(path);
    const std::string prefix = dataFile.filename().string() + std::string(kTemporaryInfix);
    std::error_code error;
    const std::filesystem::path folder = dataFile.has_parent_path() ? dataFile.parent_path() : ".";
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const bool temporaryName = name.size() == prefix.size() + 6 && name.starts_with(prefix) &&
                                   std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                                               [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
        if (temporaryName && entry.is_regular_file(error))
            std::filesystem::remove(entry.path(), error);
    }
}

// Held around every write: one writer at a time in this process (the mutex) and across program
// instances (flock on a lock file beside the data file; the data file itself is replaced by
// each write, so a lock on it would not outlive the write).
class WriteLock {
public:
    explicit WriteLock(const std::string& path) : guard_(processMutex())
    {
        fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kOwnerOnly);
        if (fd_ < 0)
            return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~WriteLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // closing releases the flock
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    bool held() const { return fd_ >= 0; }

private:
    static std::mutex& processMutex()
    {
        static std::mutex mutex;
        return mutex;
    }

    std::lock_guard<std::mutex> guard_;
    int fd_ = -1;
};

// A name ending in a lone lead byte would pair it with the "]" or "=" written behind it, and the
// line would no longer read as a section or an entry.
bool endsInsideCharacter(std::string_view text)
{
    size_t i = 0;
    while (i < text.size())
        i += isLeadByte(text[i]) ? 2 : 1;
    return i > text.size();
}

// Texts that would break the line structure of the file, or could not be found again by a
// read, are refused rather than written.
bool writableNames(std::string_view section, std::string_view key, std::string_view value)
{
    auto breaksLine = [](std::string_view text) {
        return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
    };
    if (breaksLine(section) || breaksLine(key) || breaksLine(value))
        return false;
    if (findAtBoundary(section, ']', false) != std::string_view::npos)
        return false;
    if (findAtBoundary(key, '=', false) != std::string_view::npos)
        return false;
    if (endsInsideCharacter(section) || endsInsideCharacter(key))
        return false;
    return key.empty() || key.front() != '[';
}

// A write that changes nothing leaves the file alone, but a mode loosened since the last write
// is tightened again, as a replacement of the file would have done.
bool keptAsItIs(const std::string& path)
{
    ::chmod(path.c_str(), kOwnerOnly);
    return true;
}

} // namespace

std::string readProfileString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& defaultValue)
{
    auto capped = [](std::string_view value) { return std::string(value.substr(0, kProfileValueCap)); };
    std::string bytes;
    if (readWholeFile(path, bytes) != ReadStatus::Ok)
        return capped(defaultValue);

    const std::string_view wantedSection = trimBlanks(section);
    const std::string_view wantedKey = trimBlanks(key);
    bool inSection = false;
    for (std::string_view raw : splitLines(bytes)) {
        ParsedLine line = parseLine(raw);
        if (line.kind == ParsedLine::Kind::Section) {
            // A section that appears twice is read from its first appearance only.
            if (inSection)
                break;
            inSection = namesEqual(line.name, wantedSection);
        } else if (inSection && line.kind == ParsedLine::Kind::Entry && namesEqual(line.name, wantedKey)) {
            return capped(line.value);
        }
    }
    return capped(defaultValue);
}

bool writeProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value)
{
    const std::string_view wantedSection = trimBlanks(section);
    const std::string_view wantedKey = trimBlanks(key);
    if (!writableNames(wantedSection, wantedKey, value))
        return false;

    WriteLock lock(path);
    if (!lock.held())
        return false;
    removeLeftoverTemporaries(path);
    std::string bytes;
    ReadStatus status = readWholeFile(path, bytes);
    if (status == ReadStatus::Failed)
        return false; // never replace a file we could not read

    std::vector<std::string_view> lines = splitLines(bytes);
    constexpr size_t kNone = static_cast<size_t>(-1);
    size_t sectionLine = kNone;
    size_t lastEntryLine = kNone;
    size_t keyLine = kNone;
    for (size_t i = 0; i < lines.size(); ++i) {
        ParsedLine line = parseLine(lines[i]);
        if (line.kind == ParsedLine::Kind::Section) {
            if (sectionLine != kNone)
                break;
            if (namesEqual(line.name, wantedSection))
                sectionLine = i;
        } else if (sectionLine != kNone && line.kind == ParsedLine::Kind::Entry) {
            lastEntryLine = i;
            if (namesEqual(line.name, wantedKey)) {
                keyLine = i;
                break;
            }
        }
    }

    std::string newEntry;
    std::string newSection;
    size_t insertAt = kNone; // index of the line before which the new lines go
    if (keyLine != kNone) {
        // The key keeps the spelling it has in the file.
        newEntry = std::string(parseLine(lines[keyLine]).name) + "=" + value;
        if (lines[keyLine] == newEntry)
            return keptAsItIs(path);
    } else {
        newEntry = std::string(wantedKey) + "=" + value;
        if (sectionLine != kNone) {
            insertAt = (lastEntryLine != kNone ? lastEntryLine : sectionLine) + 1;
        } else {
            newSection = "[" + std::string(wantedSection) + "]";
            insertAt = lines.size();
        }
    }

    std::string out;
    out.reserve(bytes.size() + newSection.size() + newEntry.size() + 8);
    auto emit = [&out](std::string_view line) {
        out.append(line);
        out.append("\r\n");
    };
    for (size_t i = 0; i <= lines.size(); ++i) {
        if (i == insertAt) {
            if (!newSection.empty())
                emit(newSection);
            emit(newEntry);
        }
        if (i == lines.size())
            break;
        emit(i == keyLine ? std::string_view(newEntry) : lines[i]);
    }
    if (status == ReadStatus::Ok && out == bytes)
        return keptAsItIs(path);
    return replaceFile(path, out);
}

std::vector<std::string> readTextLines(const std::string& path)
{
    std::string bytes;
    if (readWholeFile(path, bytes) != ReadStatus::Ok)
        return {};
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(bytes))
        lines.emplace_back(line);
    return lines;
}

bool fileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool createEmptyFile(const std::string& path)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, kOwnerOnly);
    if (fd < 0)
        return false;
    return ::close(fd) == 0;
}

void makeOwnerOnly(const std::string& path)
{
    ::chmod(path.c_str(), kOwnerOnly);
}

} // namespace tieba
