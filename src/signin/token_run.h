#pragma once
#include <string>

#include "client/client_tokens.h"
#include "signin/sign_engine.h"

namespace tieba {

// The account a token run signs for: its slot, the name its lines begin with (GB18030) and the
// session tokens read from the slot's cookie section.
struct TokenAccount {
    int slot = 0;
    std::string name;
    client::Tokens tokens;
};

// Signs a token account through the mobile client's protocol: the session check (tbs call),
// the followed forums (forumGuide, paged, the older list call as fallback), a paced sign request
// per forum, one retry pass and the account's end line, on the same views as the password
// engine. An expired session, "need vcode" or a ban ends this account's run with a line; the
// caller then hands over to the next account as usual.
void signInWithTokens(const EngineContext& context, const RunTicket& ticket, const TokenAccount& account);

} // namespace tieba
