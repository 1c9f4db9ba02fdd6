#pragma once
#include <chrono>
#include <string>

namespace tieba::forumsim {

// What the simulated service lets a test look at afterwards.

// One request as it arrived.
struct Request {
    std::string method;
    std::string target; // path and query, exactly as sent
    std::string cookie; // the Cookie header, empty when absent
    std::string contentType;
    std::string body;
    std::chrono::steady_clock::time_point arrived; // when its handling began
};

// An account's standing in one of its forums at the moment it was asked for.
struct ForumState {
    std::string account;
    std::string name;
    int level = 0;
    int experience = 0;
    bool signedToday = false;
    bool liked = true;
    bool signable = true;
    int failuresLeft = 0; // sign requests still to fail
    int signRequests = 0; // sign requests that reached this forum
};

// One reply the service accepted.
struct Reply {
    std::string threadId;
    std::string account;
    std::string text;    // decoded to UTF-8 as well as the bytes allow
    std::string rawText; // the "co" field as it came in the body
};

} // namespace tieba::forumsim
