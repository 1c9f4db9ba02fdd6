#pragma once

namespace tieba::client {

// What a sign answer's error code means for the run, and what the run does next.
enum class SignOutcome {
    Signed,        // signed now
    AlreadySigned, // signed earlier today: success, no gain
    Transient,     // too fast or busy: queue the forum for the retry pass
    TbsFailed,     // the tbs was refused: fetch a new tbs once, then sign again
    Blocked,       // the forum has a problem: skip it and report the service's message
    NeedVcode,     // too many or too fast: stop this account's run for now
    NotLoggedIn,   // the session is gone: the account needs a new login
    Banned,        // the account is banned, blacklisted or not verified: stop this account
    Unknown,       // a code the program does not know: the caller decides (the one-click run tries it once more)
};

SignOutcome signOutcome(long long errorCode);

// The outcomes after which this account signs no further forum in this run.
bool endsAccountRun(SignOutcome outcome);

} // namespace tieba::client
