// The kept fuzz inputs of the passport's and the home page's readers.
#include "fuzz/fuzz_targets.h"
#include "fuzz/replay.h"

namespace tieba::fuzz {

INSTANTIATE_TEST_SUITE_P(Login, FuzzReplayTest, testing::ValuesIn(replayCases({{"login_pages", &loginPages}})),
                         replayCaseName);

} // namespace tieba::fuzz
