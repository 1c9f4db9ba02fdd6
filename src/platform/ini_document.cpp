#include "platform/ini_document.h"

#include <unordered_map>

namespace tieba {
namespace {

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
// two bytes of a GBK character exactly (a trail byte may look like an ASCII letter). Two names
// are equal exactly when their folded forms are.
std::string foldedName(std::string_view name)
{
    std::string folded(name);
    for (size_t i = 0; i < folded.size(); ++i) {
        if (isLeadByte(folded[i]))
            ++i;
        else
            folded[i] = asciiLower(folded[i]);
    }
    return folded;
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

struct ParsedLine {
    enum class Kind { Other, Section, Entry } kind = Kind::Other;
    std::string_view name;  // section name or key, trimmed
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

// A name ending in a lone lead byte would pair it with the "]" or "=" written behind it, and the
// line would no longer read as a section or an entry.
bool endsInsideCharacter(std::string_view text)
{
    size_t i = 0;
    while (i < text.size())
        i += isLeadByte(text[i]) ? 2 : 1;
    return i > text.size();
}

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

} // namespace

std::vector<std::string_view> splitIniLines(std::string_view bytes)
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

// Where an entry's line is kept: a line of the text as read, one added behind an anchor line,
// or one of an added section.
struct EntryPlace {
    enum class Store { Line, AddedAfter, AddedSection } store;
    size_t outer; // line index, anchor line index, or added section index
    size_t inner; // position in the added list
};

// A section by its first appearance: where its new entries go and where its keys stand.
struct IniDocument::Section {
    bool added = false;
    size_t anchor = 0; // the last entry line, or the header line of a section without entries
    std::unordered_map<std::string, EntryPlace> keys;
};

struct IniDocument::Index {
    std::unordered_map<std::string, Section> sections;
};

IniDocument::IniDocument() = default;
IniDocument::~IniDocument() = default;
IniDocument::IniDocument(IniDocument&&) noexcept = default;
IniDocument& IniDocument::operator=(IniDocument&&) noexcept = default;

IniDocument::IniDocument(std::string_view bytes)
{
    for (std::string_view line : splitIniLines(bytes))
        lines_.emplace_back(line);
}

void IniDocument::buildIndex() const
{
    if (index_)
        return;
    index_ = std::make_unique<Index>();
    Section* current = nullptr;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const ParsedLine line = parseLine(lines_[i]);
        if (line.kind == ParsedLine::Kind::Section) {
            auto [it, first] = index_->sections.try_emplace(foldedName(line.name));
            current = first ? &it->second : nullptr;
            if (current)
                current->anchor = i;
        } else if (line.kind == ParsedLine::Kind::Entry && current) {
            current->anchor = i;
            current->keys.try_emplace(foldedName(line.name), EntryPlace{EntryPlace::Store::Line, i, 0});
        }
    }
}

IniDocument::Section* IniDocument::findSection(std::string_view normalisedName) const
{
    buildIndex();
    auto it = index_->sections.find(std::string(normalisedName));
    return it == index_->sections.end() ? nullptr : &it->second;
}

namespace {

template <class Lines, class Added, class Sections>
auto& entryText(const EntryPlace& place, Lines& lines, Added& addedAfter, Sections& addedSections)
{
    switch (place.store) {
    case EntryPlace::Store::AddedAfter:
        return addedAfter.at(place.outer)[place.inner];
    case EntryPlace::Store::AddedSection:
        return addedSections[place.outer][place.inner];
    case EntryPlace::Store::Line:
        break;
    }
    return lines[place.outer];
}

} // namespace

std::optional<std::string_view> IniDocument::value(std::string_view section, std::string_view key) const
{
    const Section* found = findSection(foldedName(trimBlanks(section)));
    if (!found)
        return std::nullopt;
    auto it = found->keys.find(foldedName(trimBlanks(key)));
    if (it == found->keys.end())
        return std::nullopt;
    return parseLine(entryText(it->second, lines_, addedAfter_, addedSections_)).value;
}

std::size_t IniDocument::entryCount(std::string_view section) const
{
    const Section* found = findSection(foldedName(trimBlanks(section)));
    return found ? found->keys.size() : 0;
}

bool IniDocument::writable(std::string_view section, std::string_view key, std::string_view value)
{
    return writableNames(trimBlanks(section), trimBlanks(key), value);
}

IniDocument::Edit IniDocument::set(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string_view wantedSection = trimBlanks(section);
    const std::string_view wantedKey = trimBlanks(key);
    if (!writableNames(wantedSection, wantedKey, value))
        return Edit::Refused;

    const std::string sectionName = foldedName(wantedSection);
    Section* target = findSection(sectionName);
    if (!target) {
        target = &index_->sections[sectionName];
        target->added = true;
        target->anchor = addedSections_.size();
        addedSections_.push_back({"[" + std::string(wantedSection) + "]"});
    }

    const std::string keyName = foldedName(wantedKey);
    if (auto it = target->keys.find(keyName); it != target->keys.end()) {
        std::string& line = entryText(it->second, lines_, addedAfter_, addedSections_);
        // The key keeps the spelling it has in the file.
        std::string replaced = std::string(parseLine(line).name) + "=" + std::string(value);
        if (line == replaced)
            return Edit::Unchanged;
        line = std::move(replaced);
        changed_ = true;
        return Edit::Changed;
    }

    std::string entry = std::string(wantedKey) + "=" + std::string(value);
    if (target->added) {
        std::vector<std::string>& lines = addedSections_[target->anchor];
        lines.push_back(std::move(entry));
        target->keys.emplace(keyName, EntryPlace{EntryPlace::Store::AddedSection, target->anchor, lines.size() - 1});
    } else {
        std::vector<std::string>& lines = addedAfter_[target->anchor];
        lines.push_back(std::move(entry));
        target->keys.emplace(keyName, EntryPlace{EntryPlace::Store::AddedAfter, target->anchor, lines.size() - 1});
    }
    changed_ = true;
    return Edit::Changed;
}

std::string IniDocument::serialise() const
{
    std::string out;
    auto emit = [&out](std::string_view line) {
        out.append(line);
        out.append("\r\n");
    };
    auto added = addedAfter_.begin();
    for (size_t i = 0; i < lines_.size(); ++i) {
        emit(lines_[i]);
        if (added != addedAfter_.end() && added->first == i) {
            for (const std::string& line : added->second)
                emit(line);
            ++added;
        }
    }
    for (const std::vector<std::string>& section : addedSections_)
        for (const std::string& line : section)
            emit(line);
    return out;
}

} // namespace tieba
