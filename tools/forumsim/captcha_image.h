#pragma once
#include <string>
#include <string_view>

namespace tieba::forumsim {

// Draws captcha codes for the simulated passport: a 100 x 32 PNG with the code in big block
// letters from a built-in 5 x 7 font, legible for a person trying the demo. Needs no
// QGuiApplication. Called by the request handler of "/captcha/<id>.png".

inline constexpr int kCaptchaWidth = 100;
inline constexpr int kCaptchaHeight = 32;

// The characters codes are made of: no 0/O, 1/I/L or 5/S look-alikes.
std::string_view captchaAlphabet();

// The PNG bytes; characters outside the alphabet are drawn as blanks.
std::string captchaPng(std::string_view code);

} // namespace tieba::forumsim
