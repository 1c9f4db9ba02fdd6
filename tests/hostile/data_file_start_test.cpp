// Damaged or hostile data files at start-up and at save: a pipe, a folder, links out of the
// folder, a loosened mode, a folder the program cannot write, and a hand-edited count of ten
// thousand excluded forums. Each case checks what the load and the save did, and how soon.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <ostream>
#include <thread>

#include "core/encoding.h"
#include "core/shared_state.h"
#include "platform/ini_profile.h"
#include "settings/account_slots.h"
#include "settings/fake_settings_controls.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "web/cookie_jar.h"
#include "web/stored_value.h"

namespace tieba::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A load or save that has not returned by then is taken as hung: the process cannot go on.
constexpr auto kHangBound = std::chrono::seconds(5);

template <class F>
auto withinBound(F&& work)
{
    std::packaged_task<decltype(work())()> task(std::forward<F>(work));
    auto result = task.get_future();
    std::thread(std::move(task)).detach();
    if (result.wait_for(kHangBound) != std::future_status::ready) {
        std::fprintf(stderr, "the data file work did not return within %lld s\n",
                     static_cast<long long>(kHangBound.count()));
        std::abort();
    }
    return result.get();
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

mode_t modeOf(const std::string& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

// A folder beside the test's own folder, for what a link may point at.
class OutsideFolder {
public:
    OutsideFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "tieba-outside-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~OutsideFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

std::string accountSection()
{
    return "[" + gb("账号1") + "]\r\nid=" + encodeStoredValue(gb("张三")) + "\r\nps=" + encodeStoredValue("pw") + "\r\n";
}

struct UnusableCase {
    const char* name;
    // Puts the hostile thing at `path`; may use the outside folder.
    std::function<void(const std::string& path, const OutsideFolder& outside)> make;
    const char* outsideFile; // the file a link points at, whose bytes must stay as they are
};

void PrintTo(const UnusableCase& c, std::ostream* out)
{
    *out << c.name;
}

const UnusableCase kUnusable[] = {
    {"Pipe", [](const std::string& path, const OutsideFolder&) { ::mkfifo(path.c_str(), 0600); }, nullptr},
    {"Folder", [](const std::string& path, const OutsideFolder&) { fs::create_directory(path); }, nullptr},
    {"LinkToAFileOutside",
     [](const std::string& path, const OutsideFolder& outside) {
         writeText(outside.file("other.dat"), accountSection());
         fs::create_symlink(outside.file("other.dat"), path);
     },
     "other.dat"},
    {"LinkToADevice", [](const std::string& path, const OutsideFolder&) { fs::create_symlink("/dev/zero", path); },
     nullptr},
    {"DanglingLinkOutside",
     [](const std::string& path, const OutsideFolder& outside) { fs::create_symlink(outside.file("none"), path); },
     nullptr},
};

class UnusableDataFile : public testing::TestWithParam<UnusableCase> {
protected:
    ScopedTempDir dir_;
    OutsideFolder outside_;
    SharedState state_;
    FakeSettingsControls controls_;
};

TEST_P(UnusableDataFile, StartsOnDefaultsAndLeavesItAlone)
{
    const UnusableCase& c = GetParam();
    const std::string path = dataFilePath();
    c.make(path, outside_);
    const fs::file_type kind = fs::symlink_status(path).type();
    const std::string outsideBefore = c.outsideFile ? fileText(outside_.file(c.outsideFile)) : "";

    const std::string problem = withinBound([&] { return loadDataFile(state_, controls_); });

    EXPECT_TRUE(problem.starts_with(gb("数据文件 shuju.dat "))) << utf8FromGb(problem);
    EXPECT_EQ(controls_.checked, (std::array<bool, 4>{true, true, true, false}));
    EXPECT_EQ(controls_.labels[0], gb("未添加账号"));

    ASSERT_EQ(addAccount(state_, gb("李四"), "secret"), AddAccountResult::Added);
    const std::string failure = withinBound([&] { return saveDataFile(state_, controls_); });
    EXPECT_FALSE(failure.empty());
    EXPECT_EQ(failure.find("secret"), std::string::npos);

    EXPECT_EQ(fs::symlink_status(path).type(), kind);
    if (c.outsideFile) {
        EXPECT_EQ(fileText(outside_.file(c.outsideFile)), outsideBefore);
    }
    EXPECT_FALSE(fs::exists(outside_.file("none")));
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnusableDataFile, testing::ValuesIn(kUnusable),
                         [](const testing::TestParamInfo<UnusableCase>& info) { return std::string(info.param.name); });

class DataFileAtStart : public testing::Test {
protected:
    ScopedTempDir dir_;
    SharedState state_;
    FakeSettingsControls controls_;
};

TEST_F(DataFileAtStart, ALoosenedModeIsTightenedByTheLoadAlone)
{
    const std::string path = dataFilePath();
    writeText(path, accountSection());
    ::chmod(path.c_str(), 0644);

    EXPECT_EQ(loadDataFile(state_, controls_), "");

    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(fileText(path), accountSection());
    EXPECT_EQ(controls_.labels[0], gb("张三"));
}

TEST_F(DataFileAtStart, TenThousandExcludedForumsLoadAndSaveAtOnce)
{
    constexpr int kCount = 10000;
    const std::string name = gb("这是一个名字很长的贴吧");
    std::string file = "[" + gb("不签") + "]\r\n" + gb("不签到的贴吧数") + "=" +
                       encodeStoredValue(std::to_string(kCount)) + "\r\n";
    for (int n = 1; n <= kCount; ++n)
        file += gb("不签到的贴吧") + std::to_string(n) + "=" + encodeStoredValue(name + std::to_string(n)) + "\r\n";
    file += "[" + gb("选中账号") + "]\r\n";
    for (int n = 1; n <= 3; ++n)
        file += gb("选中账号") + std::to_string(n) + "=" + encodeStoredValue("1") + "\r\n";
    file += "[" + gb("完成后关机") + "]\r\n" + gb("完成后关机") + "=" + encodeStoredValue("0") + "\r\n";
    for (int slot = 1; slot <= 3; ++slot)
        file += "[" + gb("账号") + std::to_string(slot) + "]\r\nid=\r\nps=\r\n";
    ASSERT_GT(file.size(), 1'000'000u);
    writeText(dataFilePath(), file);

    const auto loadStarted = Clock::now();
    EXPECT_EQ(withinBound([&] { return loadDataFile(state_, controls_); }), "");
    EXPECT_LT(Clock::now() - loadStarted, std::chrono::seconds(3));
    const TextList excluded = state_.excludedForums.get();
    ASSERT_EQ(excluded.size(), static_cast<size_t>(kCount));
    EXPECT_EQ(excluded.back(), name + "10000");
    EXPECT_TRUE(controls_.exclusion.ends_with(name + "10000" + gb("，")));

    const auto saveStarted = Clock::now();
    EXPECT_EQ(withinBound([&] { return saveDataFile(state_, controls_); }), "");
    EXPECT_LT(Clock::now() - saveStarted, std::chrono::seconds(3));
    EXPECT_EQ(fileText(dataFilePath()), file);
}

// Ways a save can fail on a regular data file; the file keeps what it held and the save says why.
struct SaveFailureCase {
    const char* name;
    bool failsForRoot;
    std::function<void(const fs::path& folder)> begin;
    std::function<void(const fs::path& folder)> end;
};

void PrintTo(const SaveFailureCase& c, std::ostream* out)
{
    *out << c.name;
}

struct rlimit savedFileLimit;

const SaveFailureCase kSaveFailures[] = {
    {"ReadOnlyFolder", false, [](const fs::path& folder) { ::chmod(folder.c_str(), 0500); },
     [](const fs::path& folder) { ::chmod(folder.c_str(), 0700); }},
    {"FileSizeLimit", true,
     [](const fs::path&) {
         ::getrlimit(RLIMIT_FSIZE, &savedFileLimit);
         std::signal(SIGXFSZ, SIG_IGN);
         struct rlimit small = savedFileLimit;
         small.rlim_cur = 64;
         ::setrlimit(RLIMIT_FSIZE, &small);
     },
     [](const fs::path&) {
         ::setrlimit(RLIMIT_FSIZE, &savedFileLimit);
         std::signal(SIGXFSZ, SIG_DFL);
     }},
};

class FailedSave : public DataFileAtStart, public testing::WithParamInterface<SaveFailureCase> {};

TEST_P(FailedSave, SaysWhyAndLosesNothing)
{
    const SaveFailureCase& c = GetParam();
    if (!c.failsForRoot && ::geteuid() == 0)
        GTEST_SKIP() << "root may write into read-only folders";
    ASSERT_EQ(loadDataFile(state_, controls_), "");
    ASSERT_EQ(addAccount(state_, gb("张三"), "pw"), AddAccountResult::Added);
    ASSERT_EQ(saveDataFile(state_, controls_), "");
    const std::string before = fileText(dataFilePath());

    ASSERT_EQ(addAccount(state_, gb("李四"), "second-secret"), AddAccountResult::Added);
    c.begin(dir_.path());
    const std::string failure = saveDataFile(state_, controls_);
    c.end(dir_.path());

    EXPECT_FALSE(failure.empty());
    EXPECT_EQ(failure.find("second-secret"), std::string::npos);
    EXPECT_EQ(fileText(dataFilePath()), before);
}

INSTANTIATE_TEST_SUITE_P(Causes, FailedSave, testing::ValuesIn(kSaveFailures),
                         [](const testing::TestParamInfo<SaveFailureCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace tieba::test
