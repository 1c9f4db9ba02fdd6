#include "signin/sign_pacing.h"

#include <algorithm>

namespace tieba {
namespace {

int drawBetween(int low, int high, std::mt19937& random)
{
    low = std::max(low, 0);
    high = std::max(high, low);
    return std::uniform_int_distribution<int>(low, high)(random);
}

} // namespace

int pauseBeforeSignRequest(long request, const Pacing& pacing, std::mt19937& random)
{
    if (request <= 1)
        return 0;
    if (pacing.restEvery > 0 && (request - 1) % pacing.restEvery == 0)
        return drawBetween(pacing.restMinMs, pacing.restMaxMs, random);
    return drawBetween(pacing.pauseMinMs, pacing.pauseMaxMs, random);
}

} // namespace tieba
