#pragma once
#include <cstddef>

namespace tieba {

// Limits of every exchange and picture fetch. The program runs with the defaults; tests lower
// them to try stalls and time-outs without waiting half a minute. Read once at the start of
// each transfer, so a change applies to the next transfer of every thread.
struct HttpSettings {
    long connectTimeoutMs = 60'000;
    long totalTimeoutMs = 120'000;    // every transfer ends within this, however the server sends
    long stallSeconds = 30;           // abort when no data moved for this long (whole seconds)
    long lowSpeedBytesPerSecond = 100; // abort a transfer slower than this ...
    long lowSpeedSeconds = 30;         // ... for this long (a trickle that keeps the stall check quiet)
    long maxRedirects = 10;
    std::size_t maxBodyBytes = 32u << 20;
    int pollIntervalMs = 50;          // longest sleep between looks at the stop request
};

HttpSettings httpSettings();
void setHttpSettings(const HttpSettings& settings);

} // namespace tieba
