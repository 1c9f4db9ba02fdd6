#pragma once
#include <functional>
#include <string>

#include "core/shared_state.h"

namespace tieba {

// The three account slots in memory. Adding and deleting change only memory; the data file
// learns of them at the next save.

enum class AddAccountResult {
    Added,
    EmptyName,     // "请输入账号", focus to "id"
    EmptyPassword, // "请输入密码", focus to "ps"
    SlotsFull,     // "由于各种原因，只允许添加3个账号", nothing changes
    Duplicate,     // "已经添加了这个账号了", "id" emptied and focused
};

// Runs the checks in order and appends the account when they pass.
AddAccountResult addAccount(SharedState& state, const std::string& id, const std::string& password);

// The message shown for a result (GB18030); empty for Added.
std::string addAccountMessage(AddAccountResult result);

// Removes slot n (1..3) when occupied; later accounts move up. Returns whether a slot changed.
bool deleteAccount(SharedState& state, int n);

// Captions for three name labels: the account names, then "未添加账号".
void showAccountLabels(const SharedState& state, const std::function<void(int n, const std::string&)>& setCaption);

} // namespace tieba
