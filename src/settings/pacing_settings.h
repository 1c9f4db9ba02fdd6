#pragma once
#include <string>
#include <vector>

#include "core/pacing.h"
#include "platform/ini_profile.h"

namespace tieba {

// The token accounts' pacing in the data file: section "节奏", one key per bound in milliseconds,
// each value encoded like every value of the file. A missing or unreadable key keeps its default;
// 0 is a valid bound (no pause).

// Every bound stays within an hour, so a hand-edited value cannot stall a run for days.
inline constexpr int kMaxPacingMs = 3600000;

Pacing loadPacing(const IniDocument& file);
// The edits that store `pacing`, for the save's single write; none for the default pacing.
void addPacingEdits(const Pacing& pacing, std::vector<ProfileEdit>& edits);

} // namespace tieba
