#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tieba::fuzz {

// One kept input of a fuzz target: a seed of corpus/<target>/ or a fault found by fuzzing in
// regressions/<target>/, replayed through the target's entry function by a test folder.
struct ReplayCase {
    std::string target;
    void (*entry)(std::string_view) = nullptr;
    std::string path;
};

inline void PrintTo(const ReplayCase& replay, std::ostream* out)
{
    *out << replay.path;
}

// Every kept input of the given targets, in a stable order.
std::vector<ReplayCase> replayCases(std::initializer_list<std::pair<const char*, void (*)(std::string_view)>> targets);

// "cookie_jar/regressions/bracket_in_name" as a test name: letters, digits and "_".
std::string replayCaseName(const testing::TestParamInfo<ReplayCase>& info);

// Instantiated by the test folders: INSTANTIATE_TEST_SUITE_P(Web, FuzzReplayTest, ...).
class FuzzReplayTest : public testing::TestWithParam<ReplayCase> {};

} // namespace tieba::fuzz
