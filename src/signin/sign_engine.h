#pragma once
#include <string>

#include "core/run_views.h"
#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"

namespace tieba {

// What the sign-in engine works with on the sign-in worker.
struct EngineContext {
    SharedState& state;
    const Sites& sites;
    WorkLog& workLog;
    ProgressDisplay& progress;
    Waiter& waiter;
};

// The address of a link cut from one of the forum's pages, on the forum's own site. A link that
// does not start with "/" (a full address, "@host/...") would carry the account's cookies to
// another host: it gives the empty address, which no request reaches.
std::string forumAddress(const std::string& forumSite, const std::string& link);

// The sign link of a forum page: the href of the last link whose text begins with "签到",
// with "&amp;" decoded. Empty when the page has none.
std::string signLinkOf(const std::string& forumPage);

// The experience gain in a successful sign answer.
std::string signGainOf(const std::string& answer);

struct SignOutcome {
    int attempt = 0; // 1, 2 or 3 for the attempt that succeeded; 0 when all three failed
    std::string gain;
};

// Up to three sign attempts for one forum whose page is `forumPage` and whose stored link is
// `storedLink`: the sign link, the same link again at once, then after a second the page anew
// and its sign link.
SignOutcome signForum(const EngineContext& context, const RunTicket& ticket, const std::string& forumPage,
                      const std::string& storedLink, int account);

// The account an engine run signs for: the slot whose cookies its requests carry and the name
// its lines begin with.
struct SignAccount {
    int slot = 0;
    std::string name;
};

// Signs `account` on every forum of its followed-forum page: main pass, one retry pass for the
// failed forums, and the account's end line. Everything it finds goes to the context's views.
void signInFollowedForums(const EngineContext& context, const RunTicket& ticket, const SignAccount& account,
                          const std::string& followedPage);

} // namespace tieba
