// The kept fuzz inputs of the followed-forum page and the forum page readers.
#include "fuzz/fuzz_targets.h"
#include "fuzz/replay.h"

namespace tieba::fuzz {

INSTANTIATE_TEST_SUITE_P(Signin, FuzzReplayTest,
                         testing::ValuesIn(replayCases({{"followed_forums", &followedForums},
                                                        {"forum_page", &forumPage}})),
                         replayCaseName);

} // namespace tieba::fuzz
