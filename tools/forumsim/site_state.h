#pragma once
#include <chrono>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "records.h"
#include "scenario.h"
#include "text_codec.h"

namespace tieba::forumsim {

// Everything the simulated service remembers: accounts and their sessions, captcha
// challenges, forum standings, threads and accepted replies. Not synchronised itself: ForumSim
// holds it under one mutex, and the Router calls it from the server's threads.
class SiteState {
public:
    explicit SiteState(const Scenario& scenario);

    // The account whose BDUSS the Cookie header carries; -1 for none or an unknown one.
    int accountForCookie(std::string_view cookieHeader) const;
    const std::string& accountName(int account) const { return accounts_[account].setup.name; }
    const std::string& tbs(int account) const { return accounts_[account].tbs; }

    struct LoginResult {
        enum class Kind { BadName, UnknownUser, Challenge, WrongCode, WrongPassword, Success };
        Kind kind = Kind::BadName;
        std::string verify; // challenge: also the picture's id
        std::string token;
        std::string time;
        std::string session; // success: the BDUSS value
    };
    LoginResult login(const FormFields& form);

    // The code of a challenge by its id; nullopt for an unknown id.
    std::optional<std::string> captchaCode(const std::string& id) const;
    std::string lastCaptchaCode() const { return lastCaptchaCode_; }

    // The account's forum whose name matches one of the readings; -1 for none.
    int findForum(int account, const std::vector<std::string>& readings) const;
    const ForumSpec& forum(int account, int index) const { return accounts_[account].forums[index].setup; }
    size_t forumCount(int account) const { return accounts_[account].forums.size(); }

    // Counts forum pages for the automatic day turnover.
    void noteForumPage();

    enum class SignResult { NeedsLogin, Failed, AlreadySigned, Signed };
    SignResult sign(int account, const std::vector<std::string>& readings, const std::string& tbs, int* gain);

    // Follows a forum the account shows as not liked; false when it is not one of its forums.
    bool like(int account, const std::vector<std::string>& readings);

    void turnDay();
    // When each turnover happened, by turnDay or automatically, in order.
    const std::vector<std::chrono::steady_clock::time_point>& turnovers() const { return turnovers_; }
    void dropSessions() { sessions_.clear(); }

    struct Thread {
        ThreadSpec setup;
        std::string fid;
        int failuresLeft = 0;
        std::vector<std::string> replies; // accepted texts, in order
    };
    const Thread* thread(const std::string& id) const;
    const std::vector<Thread>& threads() const { return threads_; }

    // Takes a posted reply form; on refusal reason says why.
    bool reply(int account, const FormFields& form, std::string* threadId, std::string* reason);

    std::optional<ForumState> forumState(const std::string& account, const std::string& forum) const;
    std::vector<Reply> replies() const { return replies_; }

private:
    struct Forum {
        ForumSpec setup;
        int failuresLeft = 0;
        int signRequests = 0;
    };
    struct Account {
        AccountSpec setup;
        std::vector<Forum> forums;
        std::string tbs;
        bool captchaPassed = false; // a login with a captcha has succeeded
    };
    struct Challenge {
        int account = -1;
        std::string code;
        bool used = false;
    };

    std::string randomHex(int digits);
    std::string newCaptchaCode();
    bool needsCaptcha(const Account& account) const;
    LoginResult challenge(int account, bool wrongCode);
    int findAccount(const std::vector<std::string>& readings) const;
    Forum* findForumEntry(int account, const std::vector<std::string>& readings);

    std::vector<Account> accounts_;
    std::vector<Thread> threads_;
    std::map<std::string, int> sessions_;       // BDUSS -> account
    std::map<std::string, Challenge> challenges_; // id -> challenge
    std::vector<std::string> presetCodes_;
    size_t codesIssued_ = 0;
    std::string lastCaptchaCode_;
    std::vector<Reply> replies_;
    int turnDayAfterForumPages_ = 0;
    int forumPagesSinceTurnover_ = 0;
    std::vector<std::chrono::steady_clock::time_point> turnovers_;
    std::mt19937_64 random_;
};

} // namespace tieba::forumsim
