#pragma once
#include <string>

#include "tools/login/tool_captcha_view.h"

namespace tieba {

// What the reply bumper shows in BumpWindow and reads from it. The window implements it by
// queuing every change to the GUI thread and dropping it once the window is gone; tests record
// the calls. Changes come from worker threads inside RunTicket::write.
class BumpView : public ToolCaptchaView {
public:
    // Enables or disables "刷帖".
    virtual void setBumpEnabled(bool enabled) = 0;
    // The text of the reply count box "编辑框1" as it is now; any thread.
    virtual std::string replyCountText() const = 0;
};

} // namespace tieba
