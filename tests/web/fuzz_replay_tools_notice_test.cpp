// The kept fuzz inputs of the reply bumper's form reader and the notice's directive parser.
// They sit here, beside the other page readers' replays, and link the tools and notice libraries.
#include "fuzz/fuzz_targets.h"
#include "fuzz/replay.h"

namespace tieba::fuzz {

INSTANTIATE_TEST_SUITE_P(ToolsNotice, FuzzReplayTest,
                         testing::ValuesIn(replayCases({{"bump_form", &bumpForm}, {"notice_block", &noticeBlock}})),
                         replayCaseName);

} // namespace tieba::fuzz
