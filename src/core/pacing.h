#pragma once

namespace tieba {

// The pauses between the sign requests of a token account, in milliseconds: a short pause
// between two forums and a longer rest after every `restEvery` of them, each drawn at random
// between its bounds. Bursts of requests bring "need vcode" and account locks; 0 is allowed.
struct Pacing {
    int pauseMinMs = 1500;
    int pauseMaxMs = 2500;
    int restMinMs = 5000;
    int restMaxMs = 10000;
    int restEvery = 10;

    bool operator==(const Pacing&) const = default;
};

} // namespace tieba
