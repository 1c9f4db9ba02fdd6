#pragma once
#include <optional>
#include <string>

#include "client/client_tokens.h"
#include "core/account.h"

namespace tieba {

// Token accounts in the data file. Such an account has no password; its session tokens are the
// cookies BDUSS and STOKEN of its slot's cookie section, stored like every other cookie, so a file
// of the older program (password accounts only) reads exactly as before. The one-click run asks
// here which path a slot takes and reads the tokens it signs with.

// The tokens stored in slot n's cookie section; nothing when the section holds no BDUSS.
std::optional<client::Tokens> storedTokens(const std::string& dataFile, int slot);

// Slot n holds a token account: `account` (the slot's account) has an empty password and the
// slot's cookie section holds a BDUSS.
bool isTokenAccount(const std::string& dataFile, int slot, const Account& account);

} // namespace tieba
