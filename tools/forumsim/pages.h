#pragma once
#include <string>
#include <vector>

#include "scenario.h"

namespace tieba::forumsim {

// The pages of the simulated service, as UTF-8 HTML. They carry exactly the marker texts the
// program cuts pages with, laid out so that every cut yields the intended value:
//  - the followed page has only forum anchors between "发言记录" and the next href-free stretch,
//    so the lazy href pattern never spans two links;
//  - a forum page has at most one "\">签到", and "签到" appears only where a sign-in is meant;
//  - the captcha answer has "请输入" nowhere before the picture's img tag;
//  - the thread page's first "action=\"" and "<field>\" value=\"" are those of the reply form.
// Names inside links are percent-encoded in the page encoding, except the user-page link of
// the home page, which is always UTF-8. Called by the request router.
class Pages {
public:
    explicit Pages(PageEncoding encoding) : encoding_(encoding) {}

    struct FollowedForum {
        std::string name;
        int level = 0;
        int experience = 0;
    };

    enum class SignOffer { Visitor, NotLiked, Signed, SignLink, Nothing };

    struct ThreadLink {
        std::string id;
        std::string title;
    };

    struct ReplyForm {
        std::string fid;
        std::string tbs;
        std::string forum;
    };

    std::string home(const std::string& userName) const; // empty name: a visitor
    std::string followedVisitor() const;
    std::string followedNone(const std::string& userName) const;
    std::string followed(const std::string& userName, const std::vector<FollowedForum>& forums) const;

    std::string forum(const std::string& name, SignOffer offer, const std::string& tbs,
                      const std::vector<ThreadLink>& threads) const;
    std::string signSucceeded(int gain) const;
    std::string signAlreadyDone() const;
    std::string signFailed() const;
    std::string signNeedsLogin() const;

    std::string captchaChallenge(const std::string& pictureUrl, const std::string& verify, const std::string& token,
                                 const std::string& time, bool wrongCode) const;
    std::string loginBadName() const;
    std::string loginUnknownUser() const;
    std::string loginWrongPassword() const;
    std::string loginSucceeded(const std::string& base) const;
    std::string loginForm() const;

    // form empty (no fid): the thread takes no replies. replies: texts already posted.
    std::string thread(const std::string& id, const std::string& title, const ReplyForm* form,
                       const std::vector<std::string>& replies, const std::string& userName) const;
    std::string threadMissing() const;
    std::string replySucceeded(const std::string& threadId) const;
    std::string replyFailed(const std::string& reason) const;

    std::string simple(const std::string& title, const std::string& text) const;

    // The action of the reply form, relative, without a leading "/".
    static constexpr const char* kReplyAction = "mo/q/submit";

private:
    std::string frame(const std::string& title, const std::string& body) const;

    PageEncoding encoding_;
};

} // namespace tieba::forumsim
