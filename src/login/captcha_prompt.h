#pragma once
#include <string>

namespace tieba {

// How a captcha window was left.
struct CaptchaAnswer {
    enum class Kind {
        Typed,     // the fourth byte of a code was typed; `code` holds it
        StopInput, // "停止输入": the user gave up
        Closed,    // "关闭": closed without a code
    };
    Kind kind = Kind::Closed;
    std::string code;
};

// Shows the captcha picture at `pictureAddress` (fetched as raw bytes, without the cookie jar)
// modally on the GUI thread and returns how the user left it.
class CaptchaPrompt {
public:
    virtual ~CaptchaPrompt() = default;
    virtual CaptchaAnswer askCaptcha(const std::string& pictureAddress) = 0;
};

} // namespace tieba
