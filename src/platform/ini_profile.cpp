#include "platform/ini_profile.h"

#include <string_view>

namespace tieba {
namespace {

const char* const kRefusedText = "含有不能写入数据文件的字符";

std::string capped(std::string_view value)
{
    return std::string(value.substr(0, kProfileValueCap));
}

} // namespace

std::string readProfileString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& defaultValue)
{
    return profileString(readProfile(path), section, key, defaultValue);
}

IniDocument readProfile(const std::string& path)
{
    if (!unusableFileReason(path).empty())
        return IniDocument();
    FileRead read = readRegularFile(path);
    if (read.status != FileRead::Status::Ok)
        return IniDocument();
    return IniDocument(read.bytes);
}

std::string profileString(const IniDocument& document, const std::string& section, const std::string& key,
                          const std::string& defaultValue)
{
    return capped(document.value(section, key).value_or(defaultValue));
}

ProfileWrite editProfile(const std::string& path, const std::function<void(IniDocument&)>& edit)
{
    ProfileWrite result;
    auto fail = [&result](std::string error) {
        result.ok = false;
        result.error = std::move(error);
        return result;
    };
    if (std::string reason = unusableFileReason(path); !reason.empty())
        return fail("数据文件" + reason);

    FileWriteLock lock(path);
    if (!lock.held())
        return fail(lock.error());
    removeLeftoverTemporaries(path);
    FileRead read = readRegularFile(path);
    if (read.status == FileRead::Status::Failed)
        return fail(read.error); // never replace a file we could not read

    IniDocument document(read.bytes);
    edit(document);
    // A write that changes nothing leaves the file alone, but a mode loosened since the last
    // write is tightened again, as a replacement of the file would have done.
    if (!document.changed()) {
        makeOwnerOnly(path);
        return result;
    }
    const std::string out = document.serialise();
    if (read.status == FileRead::Status::Ok && out == read.bytes) {
        makeOwnerOnly(path);
        return result;
    }
    std::string error;
    if (!replaceFileContents(path, out, error))
        return fail(error);
    return result;
}

ProfileWrite writeProfileStrings(const std::string& path, const std::vector<ProfileEdit>& edits)
{
    std::vector<const ProfileEdit*> writable;
    for (const ProfileEdit& edit : edits)
        if (IniDocument::writable(edit.section, edit.key, edit.value))
            writable.push_back(&edit);
    const bool someRefused = writable.size() != edits.size();
    if (writable.empty() && someRefused)
        return ProfileWrite{false, kRefusedText};

    ProfileWrite result = editProfile(path, [&writable](IniDocument& document) {
        for (const ProfileEdit* edit : writable)
            document.set(edit->section, edit->key, edit->value);
    });
    if (result.ok && someRefused)
        return ProfileWrite{false, kRefusedText};
    return result;
}

bool writeProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value)
{
    return writeProfileStrings(path, {ProfileEdit{section, key, value}}).ok;
}

std::vector<std::string> readTextLines(const std::string& path)
{
    if (!unusableFileReason(path).empty())
        return {};
    FileRead read = readRegularFile(path);
    if (read.status != FileRead::Status::Ok)
        return {};
    std::vector<std::string> lines;
    for (std::string_view line : splitIniLines(read.bytes))
        lines.emplace_back(line);
    return lines;
}

} // namespace tieba
