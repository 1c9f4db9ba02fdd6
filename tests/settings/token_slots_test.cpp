#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "core/encoding.h"
#include "fake_settings_controls.h"
#include "settings/account_slots.h"
#include "settings/settings_store.h"
#include "settings/token_slots.h"
#include "support/temp_dir.h"
#include "web/cookie_jar.h"
#include "web/stored_value.h"

namespace tieba {
namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string entry(const std::string& key, const std::string& value)
{
    return key + "=" + encodeStoredValue(value) + "\r\n";
}

std::string storedCookie(int slot, const std::string& name)
{
    const std::string raw = readProfileString(dataFilePath(), "cookies" + std::to_string(slot), name, "<absent>");
    return raw == "<absent>" ? raw : decodeStoredValue(raw);
}

// Slot 1: a password account with the session cookie its last login left. Slot 2: no password,
// BDUSS and STOKEN stored as cookies. Slot 3: no password and a cookie section without BDUSS.
std::string mixedDataFile()
{
    return "[" + gb("账号1") + "]\r\n" + entry("id", gb("老用户")) + entry("ps", "secret") +
           "[" + gb("账号2") + "]\r\n" + entry("id", "tok") + entry("ps", "") +
           "[" + gb("账号3") + "]\r\n" + entry("id", "half") + entry("ps", "") +
           "[cookies1]\r\n" + entry("BDUSS", "pw-session;") +
           "[cookies2]\r\n" + entry("BAIDUID", "dev;") + entry("BDUSS", "bd-token~2;") + entry("STOKEN", "st-2;") +
           "[cookies3]\r\n" + entry("BAIDUID", "dev3;");
}

class TokenSlots : public testing::Test {
protected:
    void load(const std::string& text)
    {
        std::ofstream(dataFilePath(), std::ios::binary) << text;
        loadDataFile(state_, controls_);
    }

    test::ScopedTempDir dir_;
    SharedState state_;
    test::FakeSettingsControls controls_;
};

TEST_F(TokenSlots, OnlyASlotWithoutPasswordAndWithABdussIsATokenAccount)
{
    load(mixedDataFile());
    ASSERT_EQ(state_.accountCount(), 3);
    EXPECT_FALSE(isTokenAccount(state_.account(1))); // a password account, whatever its cookies
    EXPECT_TRUE(isTokenAccount(state_.account(2)));
    EXPECT_FALSE(isTokenAccount(state_.account(3))); // no BDUSS stored
    const client::Tokens tokens = tokensOf(state_.account(2));
    EXPECT_EQ(tokens.bduss, "bd-token~2"); // without the cookie's ";"
    EXPECT_EQ(tokens.stoken, "st-2");
}

TEST_F(TokenSlots, AFileOfTheOlderProgramLoadsAndSavesUnchanged)
{
    load(mixedDataFile());
    EXPECT_EQ(state_.account(1), (Account{gb("老用户"), "secret"}));
    EXPECT_EQ(state_.account(2), (Account{"tok", "", {{"BDUSS", "bd-token~2"}, {"STOKEN", "st-2"}}, 2}));
    EXPECT_EQ(readFile(dataFilePath()), mixedDataFile());

    ASSERT_EQ(saveDataFile(state_, controls_), "");
    EXPECT_EQ(storedCookie(2, "BDUSS"), "bd-token~2;");
    EXPECT_EQ(storedCookie(1, "BDUSS"), "pw-session;");
}

TEST_F(TokenSlots, ADeletionMovesATokenAccountsSessionWithIt)
{
    load(mixedDataFile());
    ASSERT_TRUE(deleteAccount(state_, 1));
    ASSERT_EQ(saveDataFile(state_, controls_), "");

    EXPECT_EQ(storedCookie(1, "BDUSS"), "bd-token~2;");
    EXPECT_EQ(storedCookie(1, "STOKEN"), "st-2;");
    EXPECT_EQ(storedCookie(2, "BDUSS"), ""); // emptied in the section it left
    EXPECT_EQ(storedCookie(2, "BAIDUID"), "dev;");

    SharedState reloaded;
    loadDataFile(reloaded, controls_);
    EXPECT_TRUE(isTokenAccount(reloaded.account(1)));
    EXPECT_EQ(tokensOf(reloaded.account(1)).bduss, "bd-token~2");
    EXPECT_FALSE(isTokenAccount(reloaded.account(2)));
}

TEST_F(TokenSlots, TwoTokenAccountsMovingUpTogetherKeepTheirOwnSessions)
{
    load("[" + gb("账号1") + "]\r\n" + entry("id", "pw") + entry("ps", "secret") + "[" + gb("账号2") + "]\r\n" +
         entry("id", "t2") + entry("ps", "") + "[" + gb("账号3") + "]\r\n" + entry("id", "t3") + entry("ps", "") +
         "[cookies2]\r\n" + entry("BDUSS", "b2;") + entry("STOKEN", "s2;") + "[cookies3]\r\n" + entry("BDUSS", "b3;") +
         entry("STOKEN", "s3;"));
    ASSERT_TRUE(deleteAccount(state_, 1));
    ASSERT_EQ(saveDataFile(state_, controls_), "");

    EXPECT_EQ(storedCookie(1, "BDUSS"), "b2;");
    EXPECT_EQ(storedCookie(2, "BDUSS"), "b3;");
    EXPECT_EQ(storedCookie(2, "STOKEN"), "s3;");
    EXPECT_EQ(storedCookie(3, "BDUSS"), "");
    EXPECT_EQ(state_.account(2).sessionSlot, 2);
}

} // namespace
} // namespace tieba
