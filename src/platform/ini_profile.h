#pragma once
#include <string>
#include <vector>

namespace tieba {

// The data file's INI format, compatible with the Windows profile functions: "[section]" lines,
// "key=value" lines, GBK names, CRLF written and any line ending read. Names compare without
// regard to ASCII case. Every write in the process is serialised (and guarded by an advisory
// lock against other processes), replaces the file atomically through a temporary file in the
// same folder, and leaves the file readable by its owner only.

inline constexpr size_t kProfileValueCap = 10239;

// The value of key in section, or defaultValue when the key (or the file) is absent. At most
// kProfileValueCap bytes of a value are returned.
std::string readProfileString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& defaultValue);

// Creates the file, the section and the key as needed and replaces an existing value in place;
// a new key goes to the end of its section. Never deletes a key. False when the file could not
// be written.
bool writeProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

// The file's lines without their line endings; empty when it cannot be read.
std::vector<std::string> readTextLines(const std::string& path);

bool fileExists(const std::string& path);
// Opens the file for writing, creating it owner-only if absent and keeping any content.
bool createEmptyFile(const std::string& path);
// Stands in for the hidden attribute: the data file holds passwords, so only its owner may read it.
void makeOwnerOnly(const std::string& path);

} // namespace tieba
