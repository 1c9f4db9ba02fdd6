#include "core/shared_state.h"

namespace tieba {

// Three empty slots until the data file is loaded, as the program has always started.
SharedState::SharedState() : accounts(AccountList(3)), accountCheckStates(TextList(3)) {}

int SharedState::accountCount() const
{
    return accounts.with([](const AccountList& list) { return static_cast<int>(list.size()); });
}

Account SharedState::account(int n) const
{
    return accounts.with([n](const AccountList& list) {
        if (n < 1 || n > static_cast<int>(list.size()))
            return Account{};
        return list[static_cast<size_t>(n - 1)];
    });
}

TextList SharedState::accountIds() const
{
    TextList ids;
    for (const Account& stored : accounts.get())
        ids.push_back(stored.id);
    return ids;
}

TextList SharedState::accountPasswords() const
{
    TextList passwords;
    for (const Account& stored : accounts.get())
        passwords.push_back(stored.password);
    return passwords;
}

} // namespace tieba
