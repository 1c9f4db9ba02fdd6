// The kept fuzz inputs of the text helpers, the stored-value encoding and the cookie jar.
#include "fuzz/fuzz_targets.h"
#include "fuzz/replay.h"

namespace tieba::fuzz {

INSTANTIATE_TEST_SUITE_P(Web, FuzzReplayTest,
                         testing::ValuesIn(replayCases({{"text_helpers", &textHelpers},
                                                        {"collect_matches", &collectMatchesOnPages},
                                                        {"stored_value", &storedValue},
                                                        {"cookie_jar", &cookieJar}})),
                         replayCaseName);

} // namespace tieba::fuzz
