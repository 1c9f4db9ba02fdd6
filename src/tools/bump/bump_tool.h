#pragma once
#include <memory>
#include <mutex>
#include <string>

#include "core/message_presenter.h"
#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"
#include "tools/bump/bump_view.h"
#include "tools/login/tool_login.h"

namespace tieba {

// What the reply bumper works with. The references must outlive the bump's threads.
struct BumpServices {
    SharedState& state;
    const Sites& sites;
    WorkerThreads& workers;     // the bump's own threads: no one-click start or window close ends them
    MessagePresenter& messages; // the login's network failure, shown from the worker
    Waiter& waiter;             // pauses on worker threads
    PictureFetch fetchPicture;
};

// One press of "刷帖": the account, the thread and the reply, as they were at the click.
struct BumpOrder {
    int account = 0;
    std::string threadId;
    std::string replyText;
};

// The reply bumper of one BumpWindow: "刷帖" logs the chosen account in (or finds it logged in
// already on the thread page) and posts the reply to the thread as many times as "编辑框1" asks,
// back to back; the outcome of the last post goes to the message window through
// `messagePending`, and "刷帖" is enabled again. A series runs to its end even when the window
// is closed. Workers hold the tool through a shared_ptr; start and codeTyped run on the GUI
// thread.
class BumpTool : public std::enable_shared_from_this<BumpTool> {
public:
    static std::shared_ptr<BumpTool> create(BumpServices services, std::shared_ptr<BumpView> view);

    // "刷帖" after its checks passed: starts bumpLogin on a thread of the bump.
    void start(BumpOrder order);
    // "验证码框" holds 4 or more bytes: a verified login with this code for the last order.
    void codeTyped(const std::string& code);

    // The steps, each on a worker thread of the bump.
    void bumpLogin(const RunTicket& ticket, const BumpOrder& order);
    void postReplies(const RunTicket& ticket, const BumpOrder& order);

private:
    BumpTool(BumpServices services, std::shared_ptr<BumpView> view);

    BumpOrder lastOrder();
    void startPosting(const RunTicket& ticket);
    std::string threadPageUrl(const BumpOrder& order) const;

    BumpServices services_;
    SharedState& state_;
    std::shared_ptr<BumpView> view_;
    ToolLogin login_;

    std::mutex mutex_; // guards the order below
    BumpOrder order_;
};

} // namespace tieba
