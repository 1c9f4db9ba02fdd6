#pragma once
#include <random>

#include "core/pacing.h"

namespace tieba {

// The pause before the `request`-th sign request of an account's run (counted from 1): none
// before the first, the longer rest after every `restEvery` requests, the short pause otherwise,
// each drawn from `random` between its bounds (a reversed pair counts from the lower bound).
int pauseBeforeSignRequest(long request, const Pacing& pacing, std::mt19937& random);

} // namespace tieba
