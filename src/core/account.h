#pragma once
#include <string>
#include <utility>
#include <vector>

namespace tieba {

// Cookies as name and value, in the order they are kept.
using CookieList = std::vector<std::pair<std::string, std::string>>;

// One stored account of the forum service: its user name and its password, both GB18030 as the
// data file holds them. A slot's name and password only ever travel together. A token account has
// no password; its session cookies (BDUSS, STOKEN) travel with it instead, so that a deletion that
// moves it up a slot moves its session too.
struct Account {
    std::string id;
    std::string password;
    CookieList sessionCookies{}; // values without the ";" that ends them in the data file
    int sessionSlot = 0;         // the slot whose cookie section holds them in the file; 0: none yet

    bool operator==(const Account&) const = default;
};

// The configured accounts in slot order (slot 1 first).
using AccountList = std::vector<Account>;

} // namespace tieba
