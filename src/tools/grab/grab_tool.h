#pragma once
#include <memory>
#include <mutex>
#include <string>

#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"
#include "platform/power_off.h"
#include "tools/grab/grab_view.h"
#include "tools/login/tool_login.h"

namespace tieba {

// What a grab-first run works with. The references must outlive the run's threads.
struct GrabServices {
    SharedState& state;
    const Sites& sites;
    PowerOff& powerOff;
    Waiter& waiter; // the pause between sign attempts, on a worker thread
    PictureFetch fetchPicture;
};

// The grab-first sign-in of one GrabWindow: "抢" logs the chosen account in on the login worker
// (element 1 of `workerThreads`), then the midnight watch on the sign-in worker (element 2)
// reads the forum page back to back until the new day's sign-in opens, signs at once and, when
// the option is on, powers the computer off. "抢" ends whatever ran in those elements (a
// one-click run too); closing the window ends the grab. Workers hold the tool through a
// shared_ptr, so it outlives them; start, codeTyped and close run on the GUI thread.
class GrabTool : public std::enable_shared_from_this<GrabTool> {
public:
    static std::shared_ptr<GrabTool> create(GrabServices services, std::shared_ptr<GrabView> view);

    // "抢" after its checks passed, for account 1..3: ends the workers and starts grabLogin.
    void start(int account);
    // "验证码框" holds 4 or more bytes: a verified login with this code, on a thread of the run.
    void codeTyped(const std::string& code);
    // "关闭": ends the grab's threads if they are still the current run.
    void close();

    // The steps, each on the worker thread of the run whose ticket it gets.
    void grabLogin(const RunTicket& ticket, int account);
    void midnightWatch(const RunTicket& ticket, int account);
    void grabSign(const RunTicket& ticket, int account, std::string forumPage);

private:
    GrabTool(GrabServices services, std::shared_ptr<GrabView> view);

    void startWatch(const RunTicket& ticket, int account);
    std::string forumPageUrl() const;
    std::string get(const RunTicket& ticket, const std::string& url, int account);
    void log(const RunTicket& ticket, const std::string& text);

    GrabServices services_;
    SharedState& state_;
    std::shared_ptr<GrabView> view_;
    ToolLogin login_;

    std::mutex mutex_; // guards the run below
    RunTicket ticket_;
    int account_ = 0;
};

// The forum name as the watch requests it: every half-width and full-width space removed.
std::string forumNameForRequest(const std::string& typed);

} // namespace tieba
