#pragma once
#include <string>

#include "tools/login/tool_captcha_view.h"

namespace tieba {

// What the grab-first run shows in GrabWindow and reads from it. The window implements it by
// queuing every change to the GUI thread; tests record the calls. Changes come from worker
// threads inside RunTicket::write and must never block on the GUI thread.
class GrabView : public ToolCaptchaView {
public:
    // Appends to the log "日志".
    virtual void appendLog(const std::string& text) = 0;
    // Replaces the whole content of "日志".
    virtual void replaceLog(const std::string& text) = 0;
    // The text of "贴吧框" as it is now; any thread.
    virtual std::string forumName() const = 0;
};

} // namespace tieba
