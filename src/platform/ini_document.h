#pragma once
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tieba {

// Any of CR LF, LF or a lone CR ends a line; a last line without an ending still counts.
std::vector<std::string_view> splitIniLines(std::string_view bytes);

// The data file's INI text in memory, compatible with the Windows profile functions: "[section]"
// lines, "key=value" lines, GBK names, CRLF written and any line ending read. Names compare
// without regard to ASCII case; a section or key that appears twice is known by its first
// appearance. Edits change the text exactly as one profile write per key would: a replaced
// value keeps its line and the key's spelling, a new key goes behind the last entry of its
// section, a new section goes to the end. Pure text work, no file access: the file side lives
// in atomic_file.h and ini_profile.h. Lookups and edits take constant time on average, so a
// document of ten thousand keys loads and saves in one pass. A value like a string: one thread
// at a time (lookups build an index on first use).
class IniDocument {
public:
    enum class Edit { Changed, Unchanged, Refused };

    IniDocument();
    explicit IniDocument(std::string_view bytes);
    ~IniDocument();
    IniDocument(IniDocument&&) noexcept;
    IniDocument& operator=(IniDocument&&) noexcept;
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;

    // The trimmed value of the key, uncapped; nothing when the section or key is absent.
    std::optional<std::string_view> value(std::string_view section, std::string_view key) const;
    // Entries of the section (each key counted once).
    std::size_t entryCount(std::string_view section) const;

    // Sets the key's value, creating the section and the key as needed. Texts that would break
    // the line structure, or could not be found again by a read, are refused.
    Edit set(std::string_view section, std::string_view key, std::string_view value);
    // Whether set would take these texts.
    static bool writable(std::string_view section, std::string_view key, std::string_view value);
    // True once an edit changed the text.
    bool changed() const { return changed_; }

    // Every line, each ended by CR LF.
    std::string serialise() const;

private:
    struct Section;
    struct Index;

    Section* findSection(std::string_view normalisedName) const;
    void buildIndex() const;

    std::vector<std::string> lines_;
    // Entries added to a section that the text already had, in order, after its anchor line.
    std::map<std::size_t, std::vector<std::string>> addedAfter_;
    // Sections the text did not have, in the order they were added: header line, then entries.
    std::vector<std::vector<std::string>> addedSections_;
    mutable std::unique_ptr<Index> index_;
    bool changed_ = false;
};

} // namespace tieba
