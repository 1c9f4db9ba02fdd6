#include "settings/account_slots.h"

#include "core/encoding.h"

namespace tieba {

AddAccountResult addAccount(SharedState& state, const std::string& id, const std::string& password)
{
    if (id.empty())
        return AddAccountResult::EmptyName;
    if (password.empty())
        return AddAccountResult::EmptyPassword;
    return state.accounts.with([&](AccountList& accounts) {
        if (accounts.size() >= 3)
            return AddAccountResult::SlotsFull;
        for (const Account& stored : accounts)
            if (stored.id == id)
                return AddAccountResult::Duplicate;
        accounts.push_back(Account{id, password});
        return AddAccountResult::Added;
    });
}

std::string addAccountMessage(AddAccountResult result)
{
    switch (result) {
    case AddAccountResult::Added:
        return {};
    case AddAccountResult::EmptyName:
        return gb("请输入账号");
    case AddAccountResult::EmptyPassword:
        return gb("请输入密码");
    case AddAccountResult::SlotsFull:
        return gb("由于各种原因，只允许添加3个账号");
    case AddAccountResult::Duplicate:
        return gb("已经添加了这个账号了");
    }
    return {};
}

bool deleteAccount(SharedState& state, int n)
{
    return state.accounts.with([&](AccountList& accounts) {
        if (n < 1 || n > static_cast<int>(accounts.size()))
            return false;
        accounts.erase(accounts.begin() + (n - 1));
        return true;
    });
}

void showAccountLabels(const SharedState& state, const std::function<void(int n, const std::string&)>& setCaption)
{
    const TextList ids = state.accountIds();
    for (int n = 1; n <= 3; ++n)
        setCaption(n, n <= static_cast<int>(ids.size()) ? ids[static_cast<size_t>(n - 1)] : gb("未添加账号"));
}

} // namespace tieba
