#include "settings/pacing_settings.h"

#include <array>
#include <charconv>

#include "core/encoding.h"
#include "web/stored_value.h"

namespace tieba {
namespace {

struct PacingKey {
    const char* name; // UTF-8
    int Pacing::*bound;
};

constexpr std::array kPacingKeys = {
    PacingKey{"间隔最短毫秒", &Pacing::pauseMinMs},
    PacingKey{"间隔最长毫秒", &Pacing::pauseMaxMs},
    PacingKey{"休息最短毫秒", &Pacing::restMinMs},
    PacingKey{"休息最长毫秒", &Pacing::restMaxMs},
};

std::string pacingSection()
{
    return gb("节奏");
}

// Whole milliseconds from 0 to kMaxPacingMs; nothing else is taken.
bool readBound(std::string_view text, int& bound)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > kMaxPacingMs)
        return false;
    bound = value;
    return true;
}

} // namespace

Pacing loadPacing(const IniDocument& file)
{
    Pacing pacing;
    const std::string section = pacingSection();
    for (const PacingKey& key : kPacingKeys) {
        const std::string stored = profileString(file, section, gb(key.name), {});
        if (!stored.empty())
            readBound(decodeStoredValue(stored), pacing.*key.bound);
    }
    return pacing;
}

void addPacingEdits(const Pacing& pacing, std::vector<ProfileEdit>& edits)
{
    // A file that never had the section keeps the older program's exact layout while the pacing is
    // the default one; a section already there is never deleted, so skipping it loses nothing.
    if (pacing == Pacing{})
        return;
    const std::string section = pacingSection();
    for (const PacingKey& key : kPacingKeys)
        edits.push_back(ProfileEdit{section, gb(key.name), encodeStoredValue(std::to_string(pacing.*key.bound))});
}

} // namespace tieba
