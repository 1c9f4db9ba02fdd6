#pragma once
#include <string>

namespace tieba::forumsim {

// A PNG picture that looks like a QR code (three finder squares and a pattern of modules drawn
// from the channel id). No phone reads it: the demo and the tests "scan" it through the admin call.
std::string qrPicturePng(const std::string& channel);

} // namespace tieba::forumsim
