#include "core/shared_state.h"

namespace tieba {

SharedState::SharedState()
    : accountIds(TextList(3)), accountPasswords(TextList(3)), accountCheckStates(TextList(3))
{
}

int SharedState::accountCount() const
{
    return accountIds.with([](const TextList& ids) { return static_cast<int>(ids.size()); });
}

std::string SharedState::accountId(int n) const
{
    return accountIds.with([n](const TextList& ids) { return elementAt(ids, n); });
}

std::string SharedState::accountPassword(int n) const
{
    return accountPasswords.with([n](const TextList& pws) { return elementAt(pws, n); });
}

} // namespace tieba
