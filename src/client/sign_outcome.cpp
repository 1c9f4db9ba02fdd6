#include "client/sign_outcome.h"

#include <array>
#include <utility>

namespace tieba::client {

namespace {

using Entry = std::pair<long long, SignOutcome>;

constexpr std::array kOutcomes = {
    Entry{0, SignOutcome::Signed},
    Entry{160002, SignOutcome::AlreadySigned},
    Entry{340011, SignOutcome::Transient},
    Entry{2280007, SignOutcome::Transient},
    Entry{110001, SignOutcome::Transient},
    Entry{1989004, SignOutcome::Transient},
    Entry{255, SignOutcome::Transient},
    Entry{340006, SignOutcome::Blocked},
    Entry{2150040, SignOutcome::NeedVcode},
    Entry{1, SignOutcome::NotLoggedIn},
    Entry{110000, SignOutcome::NotLoggedIn},
    Entry{320022, SignOutcome::TbsFailed},
    Entry{2280015, SignOutcome::Banned},
    Entry{2280001, SignOutcome::Banned},
    Entry{1990055, SignOutcome::Banned},
};

} // namespace

SignOutcome signOutcome(long long errorCode)
{
    for (const auto& [code, outcome] : kOutcomes) {
        if (code == errorCode)
            return outcome;
    }
    return SignOutcome::Unknown;
}

bool endsAccountRun(SignOutcome outcome)
{
    return outcome == SignOutcome::NeedVcode || outcome == SignOutcome::NotLoggedIn || outcome == SignOutcome::Banned;
}

} // namespace tieba::client
