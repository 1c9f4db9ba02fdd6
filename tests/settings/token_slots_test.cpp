#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "core/encoding.h"
#include "fake_settings_controls.h"
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
    void SetUp() override
    {
        std::ofstream(dataFilePath(), std::ios::binary) << mixedDataFile();
        loadDataFile(state_, controls_);
    }

    test::ScopedTempDir dir_;
    SharedState state_;
    test::FakeSettingsControls controls_;
};

TEST_F(TokenSlots, OnlyASlotWithoutPasswordAndWithABdussIsATokenAccount)
{
    ASSERT_EQ(state_.accountCount(), 3);
    EXPECT_FALSE(isTokenAccount(dataFilePath(), 1, state_.account(1))); // has a password
    EXPECT_TRUE(isTokenAccount(dataFilePath(), 2, state_.account(2)));
    EXPECT_FALSE(isTokenAccount(dataFilePath(), 3, state_.account(3))); // no BDUSS stored
    EXPECT_FALSE(isTokenAccount(dataFilePath(), 4, Account{}));
}

TEST_F(TokenSlots, TokensAreReadWithoutTheCookieTerminator)
{
    const std::optional<client::Tokens> tokens = storedTokens(dataFilePath(), 2);
    ASSERT_TRUE(tokens.has_value());
    EXPECT_EQ(tokens->bduss, "bd-token~2");
    EXPECT_EQ(tokens->stoken, "st-2");
    EXPECT_FALSE(storedTokens(dataFilePath(), 3).has_value());
}

TEST_F(TokenSlots, AFileOfTheOlderProgramLoadsUnchanged)
{
    EXPECT_EQ(state_.account(1), (Account{gb("老用户"), "secret"}));
    EXPECT_EQ(state_.account(2), (Account{"tok", ""}));
    EXPECT_EQ(readFile(dataFilePath()), mixedDataFile());
}

} // namespace
} // namespace tieba
