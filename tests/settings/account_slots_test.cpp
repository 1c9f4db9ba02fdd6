#include <gtest/gtest.h>

#include "core/encoding.h"
#include "settings/account_slots.h"

namespace tieba {
namespace {

TextList labelsOf(const SharedState& state)
{
    TextList labels(3);
    showAccountLabels(state, [&](int n, const std::string& caption) { labels[static_cast<size_t>(n - 1)] = caption; });
    return labels;
}

TEST(AccountSlots, ChecksComeInTheirOrder)
{
    SharedState state;
    state.accounts.set({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    // With three accounts, an empty name or password is still reported first.
    EXPECT_EQ(addAccount(state, "", "x"), AddAccountResult::EmptyName);
    EXPECT_EQ(addAccount(state, "d", ""), AddAccountResult::EmptyPassword);
    EXPECT_EQ(addAccount(state, "a", "x"), AddAccountResult::SlotsFull);
    EXPECT_EQ(addAccountMessage(AddAccountResult::SlotsFull), gb("由于各种原因，只允许添加3个账号"));
}

TEST(AccountSlots, NamesCompareByteForByte)
{
    SharedState state;
    state.accounts.set({});
    EXPECT_EQ(addAccount(state, "Alice", "pw"), AddAccountResult::Added);
    EXPECT_EQ(addAccount(state, "Alice", "other"), AddAccountResult::Duplicate);
    EXPECT_EQ(addAccount(state, "alice", "pw"), AddAccountResult::Added);
    EXPECT_EQ(addAccount(state, "Alice ", "pw"), AddAccountResult::Added);
    EXPECT_EQ(state.accountIds(), (TextList{"Alice", "alice", "Alice "}));
    EXPECT_EQ(state.accountPasswords(), (TextList{"pw", "pw", "pw"}));
    EXPECT_EQ(labelsOf(state), (TextList{"Alice", "alice", "Alice "}));
}

TEST(AccountSlots, DeletingClosesTheGap)
{
    SharedState state;
    state.accounts.set({{"A", "1"}, {"B", "2"}, {"C", "3"}});
    EXPECT_TRUE(deleteAccount(state, 1));
    EXPECT_EQ(state.accountIds(), (TextList{"B", "C"}));
    EXPECT_EQ(state.accountPasswords(), (TextList{"2", "3"}));
    EXPECT_EQ(labelsOf(state), (TextList{"B", "C", gb("未添加账号")}));
    EXPECT_FALSE(deleteAccount(state, 3));
    EXPECT_FALSE(deleteAccount(state, 0));
    EXPECT_EQ(state.accountCount(), 2);
}

} // namespace
} // namespace tieba
