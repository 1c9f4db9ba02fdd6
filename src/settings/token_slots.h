#pragma once
#include <string>
#include <vector>

#include "client/client_tokens.h"
#include "core/account.h"
#include "platform/ini_profile.h"

namespace tieba {

// Token accounts in the data file. Such an account has no password; its session tokens are the
// cookies BDUSS and STOKEN of its slot's cookie section, stored like every other cookie, so a file
// of the older program (password accounts only) reads exactly as before. In memory the tokens
// belong to the account (Account::sessionCookies): the run signs with them, and the save writes
// them into the section of the slot the account holds now.

// The session cookies slot n's cookie section holds; empty when it holds no BDUSS.
CookieList sessionCookiesIn(const IniDocument& file, int slot);

// No password and a BDUSS among its session cookies.
bool isTokenAccount(const Account& account);
client::Tokens tokensOf(const Account& account);

// The edits that move each token account's session to the section of the slot it holds now:
// the tokens are written there and emptied in the section it left, unless another token account
// has just taken that slot. Password accounts' sections are left as they are.
void addSessionCookieEdits(const AccountList& accounts, std::vector<ProfileEdit>& edits);

} // namespace tieba
