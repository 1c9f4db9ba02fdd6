#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/ini_document.h"

namespace tieba {

// The data file as the program reads and writes it: an INI document (ini_document.h) kept in
// a file (atomic_file.h). Every write in the process is serialised (and guarded by an advisory
// lock against other processes), reads the file once, replaces it atomically through a
// temporary file in the same folder, and leaves it readable by its owner only. A file that is
// not a regular file in its folder (a folder, a pipe, a device, a link out of the folder) is
// never read through or replaced.

inline constexpr size_t kProfileValueCap = 10239;

// The value of key in section, or defaultValue when the key (or the file) is absent. At most
// kProfileValueCap bytes of a value are returned.
std::string readProfileString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& defaultValue);

// The whole file read once, for a load that looks up many keys; empty when it cannot be read.
IniDocument readProfile(const std::string& path);
// A value of a document read by readProfile, capped as readProfileString caps it.
std::string profileString(const IniDocument& document, const std::string& section, const std::string& key,
                          const std::string& defaultValue);

// What a write did: ok, or why not (UTF-8 text for the user).
struct ProfileWrite {
    bool ok = true;
    std::string error;
};

struct ProfileEdit {
    std::string section;
    std::string key;
    std::string value;
};

// Reads the file once under the write lock, lets `edit` change the document, and writes the
// result in one replacement (nothing when the document did not change). Never replaces a file
// it could not read.
ProfileWrite editProfile(const std::string& path, const std::function<void(IniDocument&)>& edit);

// Sets many keys in one write; the file ends up exactly as one writeProfileString per edit, in
// order, would leave it. Edits with texts the document refuses are left out and make the
// result not ok; the others are still written.
ProfileWrite writeProfileStrings(const std::string& path, const std::vector<ProfileEdit>& edits);

// Creates the file, the section and the key as needed and replaces an existing value in place;
// a new key goes to the end of its section. Never deletes a key. False when the file could not
// be written.
bool writeProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

// The file's lines without their line endings; empty when it cannot be read.
std::vector<std::string> readTextLines(const std::string& path);

} // namespace tieba
