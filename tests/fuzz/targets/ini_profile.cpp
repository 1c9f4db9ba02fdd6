// The data file's reader and writer on any file: input is "section 0x1F key 0x1F value 0x1F file".
#include "fuzz/fuzz_targets.h"

#include "platform/ini_profile.h"

namespace tieba::fuzz {
namespace {

const std::string kAbsent = "\n"; // no value read from a file can hold a line break

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

void checkReadValue(const std::string& value)
{
    if (value == kAbsent)
        return;
    require(value.size() <= kProfileValueCap, "a value longer than the cap");
    require(value.find_first_of("\r\n") == std::string::npos, "a value runs across a line break");
}

// A batch of edits on one document gives the text that one edit at a time gives, each written
// out and read back as a separate write of the file would.
void checkBatchMatchesSteps(const std::string& file, const std::vector<ProfileEdit>& edits)
{
    IniDocument batch(file);
    std::string stepwise = file;
    for (const ProfileEdit& edit : edits) {
        batch.set(edit.section, edit.key, edit.value);
        IniDocument step(stepwise);
        if (step.set(edit.section, edit.key, edit.value) == IniDocument::Edit::Changed)
            stepwise = step.serialise();
    }
    require((batch.changed() ? batch.serialise() : file) == stepwise, "a batch differs from single edits");
    const IniDocument reread(stepwise);
    for (const ProfileEdit& edit : edits) {
        if (!IniDocument::writable(edit.section, edit.key, edit.value))
            continue;
        const std::optional<std::string_view> inBatch = batch.value(edit.section, edit.key);
        const std::optional<std::string_view> afterSteps = reread.value(edit.section, edit.key);
        require(inBatch == afterSteps, "a batch reads back another value than single edits");
    }
}

} // namespace

void iniProfile(std::string_view input)
{
    const std::vector<std::string> pieces = splitPieces(input, 4);
    const std::string& section = pieces[0];
    const std::string& key = pieces[1];
    const std::string& value = pieces[2];
    writeScratchFile(pieces[3]);
    const std::string& path = scratchDataFile();

    for (const std::string& line : readTextLines(path))
        require(line.find_first_of("\r\n") == std::string::npos, "readTextLines kept a line ending");
    checkReadValue(readProfileString(path, section, key, kAbsent));

    // Neighbours of the written entry must not change with it.
    const std::string otherKey = readProfileString(path, section, key + "_", kAbsent);
    const std::string otherSection = readProfileString(path, section + "_", key, kAbsent);
    checkBatchMatchesSteps(pieces[3], {{section, key, value},
                                       {section + "_", key, value},
                                       {section, key + "_", value},
                                       {section, key, value + "1"},
                                       {section + "_", key + "_", value}});

    const std::string before = readScratchFile();
    if (!writeProfileString(path, section, key, value)) {
        require(readScratchFile() == before, "a refused write changed the file");
        return;
    }
    const std::string expected(trimBlanks(value).substr(0, kProfileValueCap));
    require(readProfileString(path, section, key, kAbsent) == expected, "a written value does not read back");
    require(readProfileString(path, section, key + "_", kAbsent) == otherKey, "a write changed another key");
    require(readProfileString(path, section + "_", key, kAbsent) == otherSection, "a write changed another section");

    const std::string written = readScratchFile();
    require(writeProfileString(path, section, key, value), "writing the same value again failed");
    require(readScratchFile() == written, "writing the same value again changed the file");
}

} // namespace tieba::fuzz
