// The data file holds passwords and session cookies: every writer leaves it readable by its
// owner only, also when its mode was loosened in between (a copy, a backup tool, a hand edit).
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <ostream>
#include <sys/stat.h>

#include "core/encoding.h"
#include "core/shared_state.h"
#include "platform/ini_profile.h"
#include "settings/fake_settings_controls.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "web/cookie_jar.h"
#include "web/stored_value.h"

namespace tieba::test {
namespace {

struct WriterCase {
    const char* name;
    std::function<void(SharedState&, FakeSettingsControls&)> write;
};

void PrintTo(const WriterCase& c, std::ostream* out)
{
    *out << c.name;
}

void saveOneAccount(SharedState& state, FakeSettingsControls& controls)
{
    state.accounts.set({Account{gb("张三"), "not-a-real-password"}});
    saveDataFile(state, controls);
}

const WriterCase kWriters[] = {
    {"SaveWithChanges", saveOneAccount},
    {"SaveWithNothingChanged",
     [](SharedState& state, FakeSettingsControls& controls) {
         saveOneAccount(state, controls);
         ::chmod(dataFilePath().c_str(), 0644);
         saveOneAccount(state, controls);
     }},
    {"StoreANewCookie",
     [](SharedState&, FakeSettingsControls&) {
         storeSetCookies("Set-Cookie: BDUSS=fresh; path=/\r\n", dataFilePath(), "1");
     }},
    {"StoreTheSameCookieAgain",
     [](SharedState&, FakeSettingsControls&) {
         storeSetCookies("Set-Cookie: BDUSS=same; path=/\r\n", dataFilePath(), "1");
         ::chmod(dataFilePath().c_str(), 0644);
         storeSetCookies("Set-Cookie: BDUSS=same; path=/\r\n", dataFilePath(), "1");
     }},
};

class DataFileMode : public testing::TestWithParam<WriterCase> {
protected:
    static mode_t modeOf(const std::string& path)
    {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 0777;
    }

    ScopedTempDir dir_;
    SharedState state_;
    FakeSettingsControls controls_;
};

TEST_P(DataFileMode, WritersLeaveTheFileOwnerOnly)
{
    const std::string path = dataFilePath();
    std::ofstream(path, std::ios::binary) << "[cookies1]\r\nBDUSS=" << encodeStoredValue("old;") << "\r\n";
    ::chmod(path.c_str(), 0644);
    ASSERT_EQ(modeOf(path), 0644u);

    GetParam().write(state_, controls_);

    EXPECT_EQ(modeOf(path), 0600u);
}

INSTANTIATE_TEST_SUITE_P(Writers, DataFileMode, testing::ValuesIn(kWriters),
                         [](const testing::TestParamInfo<WriterCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace tieba::test
