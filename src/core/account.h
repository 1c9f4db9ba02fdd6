#pragma once
#include <string>
#include <vector>

namespace tieba {

// One stored account of the forum service: its user name and its password, both GB18030 as the
// data file holds them. A slot's name and password only ever travel together.
struct Account {
    std::string id;
    std::string password;

    bool operator==(const Account&) const = default;
};

// The configured accounts in slot order (slot 1 first).
using AccountList = std::vector<Account>;

} // namespace tieba
