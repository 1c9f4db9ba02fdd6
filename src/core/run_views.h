#pragma once
#include <string>

namespace tieba {

// What a one-click run shows the user. The main window implements these by queuing each call
// to the GUI thread; tests use a recording implementation. Texts are GB18030. Calls come from
// worker threads inside RunTicket::write, so they must never block on the GUI thread.

// The work log "工作日志".
class WorkLog {
public:
    virtual ~WorkLog() = default;
    virtual void append(const std::string& text) = 0;
    virtual void clear() = 0;
};

// The progress label "进度标签" and the progress bar "进度条".
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    virtual void setCaption(const std::string& text) = 0;
    // Paint the bar for `done` out of `total` (see drawProgressBar for the columns).
    virtual void drawBar(int done, int total) = 0;
};

// The six controls a run disables: "添加账号", "抢签", "刷帖", "删1", "删2", "删3".
class RunControls {
public:
    virtual ~RunControls() = default;
    virtual void setRunControlsEnabled(bool enabled) = 0;
};

// The ticked state of the account check boxes "选择框1".."选择框3"; safe to ask from any thread.
class AccountTicks {
public:
    virtual ~AccountTicks() = default;
    virtual bool isTicked(int account) const = 0;
};

} // namespace tieba
