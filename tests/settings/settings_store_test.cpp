#include <atomic>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "core/encoding.h"
#include "fake_settings_controls.h"
#include "platform/ini_profile.h"
#include "settings/account_slots.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "web/cookie_jar.h"
#include "web/stored_value.h"

namespace tieba {
namespace {

using test::FakeSettingsControls;
using test::ScopedTempDir;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string storedRaw(const std::string& section, const std::string& key)
{
    return readProfileString(dataFilePath(), gb(section), gb(key), "<absent>");
}

struct ExclusionCase {
    const char* name;
    const char* text; // UTF-8
    std::vector<std::string> items;
};

class ExclusionParsing : public testing::TestWithParam<ExclusionCase> {};

TEST_P(ExclusionParsing, SplitsOnFullWidthCommasAfterRemovingSpaces)
{
    TextList expected;
    for (const auto& item : GetParam().items)
        expected.push_back(gb(item));
    EXPECT_EQ(parseExclusionText(gb(GetParam().text)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ExclusionParsing,
    testing::Values(ExclusionCase{"two_names", "A，B，", {"A", "B"}},
                    ExclusionCase{"spaces_of_both_widths", "A ，　B　，", {"A", "B"}},
                    ExclusionCase{"ascii_comma_is_not_a_separator", "A,B", {"A,B"}},
                    ExclusionCase{"only_a_comma_gives_one_empty_item", "，", {""}},
                    ExclusionCase{"empty_box", "", {}},
                    ExclusionCase{"last_piece_without_comma", "贴吧一，贴吧二", {"贴吧一", "贴吧二"}},
                    ExclusionCase{"spaces_inside_names_go", "我 的　吧，", {"我的吧"}},
                    ExclusionCase{"line_breaks_stay", "A\r\nB，", {"A\r\nB"}}),
    [](const testing::TestParamInfo<ExclusionCase>& info) { return info.param.name; });

TEST(FlagText, OnlyZeroIsOff)
{
    EXPECT_FALSE(flagFromText("0"));
    EXPECT_FALSE(flagFromText(" 0 "));
    EXPECT_FALSE(flagFromText(gb("　0　")));
    EXPECT_TRUE(flagFromText("1"));
    EXPECT_TRUE(flagFromText(""));
    EXPECT_TRUE(flagFromText("00"));
    EXPECT_TRUE(flagFromText("yes"));
    EXPECT_EQ(onOffText(true), "1");
    EXPECT_EQ(onOffText(false), "0");
}

class DataFile : public testing::Test {
protected:
    ScopedTempDir dir_;
    SharedState state_;
    FakeSettingsControls controls_;
};

TEST_F(DataFile, FirstStartCreatesAnOwnerOnlyFileAndShowsTheDefaults)
{
    ASSERT_FALSE(std::filesystem::exists("shuju.dat"));
    loadDataFile(state_, controls_);

    ASSERT_TRUE(std::filesystem::exists("shuju.dat"));
    struct stat info {};
    ASSERT_EQ(::stat("shuju.dat", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600);
    EXPECT_EQ(controls_.exclusion, "");
    EXPECT_TRUE(controls_.checked[0] && controls_.checked[1] && controls_.checked[2]);
    EXPECT_FALSE(controls_.checked[3]);
    for (const auto& label : controls_.labels)
        EXPECT_EQ(label, gb("未添加账号"));
    EXPECT_EQ(state_.accountCount(), 0);
    EXPECT_EQ(state_.excludedForumCount.get(), "0");
    EXPECT_EQ(state_.shutdownAfterGrab.get(), "0");
}

TEST_F(DataFile, SaveThenLoadRoundTripsEverything)
{
    state_.accounts.set({{gb("张三"), "p&ss=1"}, {"bob", gb("密码")}});
    controls_.exclusion = gb("贴吧一 ，贴吧二　，");
    controls_.checked = {true, false, true, true};
    applyExclusionText(state_, controls_);

    EXPECT_EQ(storedRaw("不签", "不签到的贴吧数"), "120"); // "2"
    EXPECT_EQ(storedRaw("选中账号", "选中账号2"), "116"); // "0"
    EXPECT_EQ(storedRaw("完成后关机", "完成后关机"), "118");
    EXPECT_EQ(readProfileString(dataFilePath(), gb("账号3"), "id", "<absent>"), "");

    SharedState loaded;
    FakeSettingsControls shown;
    loadDataFile(loaded, shown);
    EXPECT_EQ(loaded.accountIds(), (TextList{gb("张三"), "bob"}));
    EXPECT_EQ(loaded.accountPasswords(), (TextList{"p&ss=1", gb("密码")}));
    EXPECT_EQ(loaded.excludedForums.get(), (TextList{gb("贴吧一"), gb("贴吧二")}));
    EXPECT_EQ(shown.exclusion, gb("贴吧一，贴吧二，"));
    EXPECT_EQ(shown.checked, (std::array<bool, 4>{true, false, true, true}));
    EXPECT_EQ(shown.labels, (std::array<std::string, 3>{gb("张三"), "bob", gb("未添加账号")}));
    EXPECT_EQ(loaded.shutdownAfterGrab.get(), "1");
}

TEST_F(DataFile, SavingTakesTheExclusionListNotTheUnsavedBox)
{
    loadDataFile(state_, controls_);
    controls_.exclusion = gb("新吧，");
    controls_.checked[1] = false;
    saveDataFile(state_, controls_);

    SharedState loaded;
    FakeSettingsControls shown;
    loadDataFile(loaded, shown);
    EXPECT_TRUE(loaded.excludedForums.get().empty());
    EXPECT_FALSE(shown.checked[1]); // a tick is kept by the close
}

TEST_F(DataFile, ShrinkingTheListLeavesOldKeysThatTheCountHides)
{
    controls_.exclusion = gb("A，B，C，D，E，");
    applyExclusionText(state_, controls_);
    controls_.exclusion = gb("A，B，C，");
    applyExclusionText(state_, controls_);

    EXPECT_NE(storedRaw("不签", "不签到的贴吧5"), "<absent>");
    SharedState loaded;
    FakeSettingsControls shown;
    loadDataFile(loaded, shown);
    EXPECT_EQ(loaded.excludedForums.get().size(), 3u);
}

TEST_F(DataFile, HandEditedFilesLoadSafely)
{
    {
        std::ofstream out("shuju.dat", std::ios::binary);
        out << gb("[不签]\r\n不签到的贴吧数=") << encodeStoredValue("abc") << "\r\n"
            << gb("[选中账号]\r\n选中账号1=\r\n选中账号2=") << encodeStoredValue("0") << "\r\n"
            << gb("[账号1]\r\nid=\r\nps=\r\n[账号2]\r\nid=") << encodeStoredValue("orphan") << "\r\n"
            << "garbage line without equals\r\n";
    }
    loadDataFile(state_, controls_);
    EXPECT_TRUE(state_.excludedForums.get().empty());        // a count that is no number
    EXPECT_EQ(state_.accountCount(), 0);                      // slot 1 empty: later slots ignored
    EXPECT_TRUE(controls_.checked[0]);                        // stored empty text counts as ticked
    EXPECT_FALSE(controls_.checked[1]);
}

TEST_F(DataFile, AHugeCountDoesNotHangTheLoad)
{
    writeProfileString(dataFilePath(), gb("不签"), gb("不签到的贴吧数"), encodeStoredValue("2000000000"));
    writeProfileString(dataFilePath(), gb("不签"), gb("不签到的贴吧1"), encodeStoredValue("X"));
    loadDataFile(state_, controls_);
    const TextList excluded = state_.excludedForums.get();
    ASSERT_FALSE(excluded.empty());
    EXPECT_EQ(excluded.front(), "X");
    EXPECT_LE(excluded.size(), 10000u);
}

TEST_F(DataFile, SaveKeepsTheCookieSections)
{
    writeProfileString(dataFilePath(), "cookies1", "BDUSS", encodeStoredValue("abc;"));
    loadDataFile(state_, controls_);
    saveDataFile(state_, controls_);
    EXPECT_EQ(buildCookieHeader(dataFilePath(), "1"), "BDUSS=abc;");
    EXPECT_NE(readFile("shuju.dat").find("\r\n"), std::string::npos);
}

} // namespace
} // namespace tieba

namespace tieba {
namespace {

// Two program instances (here: two threads, each with its own state) saving at the same time:
// each save is one write, so a reader never finds one instance's "id" beside the other's "ps".
TEST(ConcurrentSaves, NeverPairOneSavesNameWithTheOthersPassword)
{
    ScopedTempDir dir;
    struct Instance {
        SharedState state;
        FakeSettingsControls controls;
    };
    Instance alice;
    Instance bob;
    for (auto [instance, id] : {std::pair{&alice, "alice"}, std::pair{&bob, "bob"}}) {
        loadDataFile(instance->state, instance->controls);
        ASSERT_EQ(addAccount(instance->state, id, std::string(id) + "-pw"), AddAccountResult::Added);
    }
    std::atomic<int> finished{0};
    auto saver = [&finished](Instance& instance) {
        for (int round = 0; round < 40; ++round)
            saveDataFile(instance.state, instance.controls);
        ++finished;
    };
    std::thread first(saver, std::ref(alice));
    std::thread second(saver, std::ref(bob));

    int mismatches = 0;
    int accountsSeen = 0;
    // Looks while the savers run, and once more after both ended.
    for (bool last = false; !last;) {
        last = finished == 2;
        const IniDocument file = readProfile(dataFilePath());
        const std::string id = decodeStoredValue(profileString(file, gb("账号1"), "id", ""));
        const std::string password = decodeStoredValue(profileString(file, gb("账号1"), "ps", ""));
        accountsSeen += !id.empty();
        if (!id.empty() && password != id + "-pw")
            ++mismatches;
    }
    first.join();
    second.join();
    EXPECT_GT(accountsSeen, 0);
    EXPECT_EQ(mismatches, 0);
}

} // namespace
} // namespace tieba
