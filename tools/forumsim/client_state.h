#pragma once
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "token_account.h"

namespace tieba::forumsim {

// What the simulated service remembers about its token accounts and QR logins: sessions, tbs
// values, forum standings, sign counts and QR channels. Not synchronised itself: the Router calls
// it with ForumSim's state lock held.
class ClientState {
public:
    ClientState(const std::vector<TokenAccountSpec>& accounts, unsigned seed);

    struct Forum {
        TokenForumSpec setup;
        int failuresLeft = -1; // -1: the fail code holds for ever
        int signedCount = 0;   // today's sign-ins, the rank of the next one minus one
    };
    struct Account {
        TokenAccountSpec setup;
        std::string bduss;
        std::string stoken;
        std::string tbs;
        bool live = true;
        int signs = 0; // successful signs, for needVcodeAfter
        std::vector<Forum> forums;
    };

    // The account with this live BDUSS; nullptr for none or an expired one.
    Account* liveAccount(const std::string& bduss);
    // Any account with this BDUSS, live or not.
    Account* account(const std::string& bduss);
    Account* accountNamed(const std::string& name);
    Forum* forum(Account& account, const std::string& fid);

    // A new day: every forum of every token account can be signed again.
    void turnDay();

    // Ends the account's session: every client call with its tokens now answers "not logged in".
    bool expire(const std::string& name);

    enum class QrState { Waiting, Scanned, Confirmed };
    struct QrChannel {
        QrState state = QrState::Waiting;
        std::string temporaryToken;
        int account = -1;
    };
    std::string newQrChannel();
    QrChannel* qrChannel(const std::string& id);
    bool scan(const std::string& channel);
    // Confirms on the "phone" as the named account, or the first QR account when name is empty.
    bool confirm(const std::string& channel, const std::string& name);
    // The account a temporary token logs into, once: the token is used up.
    Account* redeem(const std::string& temporaryToken);

private:
    std::string randomHex(int digits);

    std::vector<Account> accounts_;
    std::map<std::string, QrChannel> channels_;
    std::map<std::string, int> temporaryTokens_;
    std::mt19937_64 random_;
};

} // namespace tieba::forumsim
