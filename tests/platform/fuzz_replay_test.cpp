// The kept fuzz inputs of the data file's reader and writer.
#include "fuzz/fuzz_targets.h"
#include "fuzz/replay.h"

namespace tieba::fuzz {

INSTANTIATE_TEST_SUITE_P(Platform, FuzzReplayTest, testing::ValuesIn(replayCases({{"ini_profile", &iniProfile}})),
                         replayCaseName);

} // namespace tieba::fuzz
