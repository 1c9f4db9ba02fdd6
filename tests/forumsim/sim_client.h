#pragma once
#include <httplib.h>

#include <string>
#include <string_view>

#include "forumsim.h"

namespace tieba::forumsim::test {

// A client of the simulated service that behaves like the program on the wire: it keeps the
// cookies the answers set (name=value; pairs, no spaces), sends them and the form content
// type with every request, and sends targets byte for byte without encoding them.
class SimClient {
public:
    explicit SimClient(const ForumSim& sim);

    httplib::Result get(const std::string& target);
    httplib::Result post(const std::string& target, const std::string& body);

    const std::string& cookies() const { return cookies_; }
    void setCookies(std::string cookies) { cookies_ = std::move(cookies); }

private:
    void keep(const httplib::Result& result);

    httplib::Client client_;
    std::string cookies_;
};

// The forward cut: behind the first `left`, up to the first `right` after it; empty when either
// is missing.
std::string cutForward(std::string_view text, std::string_view left, std::string_view right);
// The backward cut: behind the last `left` before the last `right`.
std::string cutBackward(std::string_view text, std::string_view left, std::string_view right);

bool contains(std::string_view text, std::string_view part);

// A scenario with one account "alice" (password "pw1") following one forum "测试" at level 7
// with 1234 points of experience.
Scenario smallScenario();

} // namespace tieba::forumsim::test
