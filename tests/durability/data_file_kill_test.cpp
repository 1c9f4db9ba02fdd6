// The data file survives its writer being killed at any moment, and two writers at once lose
// nothing. The writer is a separate program (data_file_writer) started and killed by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>

#include "core/encoding.h"
#include "platform/ini_profile.h"
#include "support/temp_dir.h"
#include "web/stored_value.h"
#include "writer_process.h"

namespace tieba {
namespace {

using test::ScopedTempDir;
using test::WriterProcess;

// The number in `prefix<number>suffix`, or -1 when the text has another shape.
long numberIn(const std::string& text, const std::string& prefix, const std::string& suffix = "")
{
    if (text.size() <= prefix.size() + suffix.size() || !text.starts_with(prefix) || !text.ends_with(suffix))
        return -1;
    const std::string digits = text.substr(prefix.size(), text.size() - prefix.size() - suffix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::stol(digits);
}

// What the writer has reported as written: for each cookie and for the settings, the
// iteration of the last write that returned.
struct Returned {
    std::map<std::string, long> cookies;
    long settings = -1;
    long next = 0; // the iteration a new writer starts with

    void take(const std::string& line)
    {
        std::istringstream words(line);
        std::string kind;
        std::string name;
        long iteration = -1;
        if (!(words >> kind))
            return;
        if (kind == "cookie" && words >> name >> iteration)
            cookies[name] = iteration;
        else if (kind == "settings" && words >> iteration)
            settings = iteration;
        else
            return;
        next = std::max(next, iteration + 1);
    }
};

class DataFileDurabilityTest : public testing::Test {
protected:
    WriterProcess startWriter(long first, long count, const std::string& mode, const std::string& tag)
    {
        return WriterProcess({TIEBA_DATA_FILE_WRITER, dir_.path().string(), std::to_string(first),
                              std::to_string(count), mode, tag});
    }

    std::string stored(const std::string& section, const std::string& key) const
    {
        return decodeStoredValue(readProfileString(path_, section, key, ""));
    }

    // The file reads as whole lines of sections and entries, and every write that returned is
    // there (or a later one of the same value, whose write was under way at the kill).
    void expectHolds(const Returned& returned) const
    {
        std::ifstream in(path_, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (returned.cookies.empty() && returned.settings < 0 && bytes.empty())
            return;
        EXPECT_TRUE(bytes.ends_with("\r\n")) << "the file ends inside a line";
        for (const std::string& line : readTextLines(path_))
            EXPECT_TRUE((line.starts_with("[") && line.ends_with("]")) || line.find('=') != std::string::npos)
                << "a line that is neither a section nor an entry: " << line;

        for (const auto& [name, iteration] : returned.cookies) {
            const std::string value = stored("cookies1", name);
            EXPECT_GE(numberIn(value, "v", ";"), iteration) << name << " holds \"" << value << "\"";
        }
        if (returned.settings >= 0) {
            const long wanted = returned.settings;
            EXPECT_GE(numberIn(stored(gb("账号1"), "id"), "user"), wanted);
            EXPECT_GE(numberIn(stored(gb("账号1"), "ps"), "pass"), wanted);
            EXPECT_GE(numberIn(stored(gb("不签"), gb("不签到的贴吧1")), gb("吧")), wanted);
            EXPECT_EQ(stored(gb("不签"), gb("不签到的贴吧数")), "1");
        }
        struct stat info {};
        ASSERT_EQ(::stat(path_.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
    }

    // Besides the data file and its lock file, only the temporary file of the interrupted write
    // may be there (the next writer removes it); the program never reads it.
    void expectOnlyWriteLeftovers() const
    {
        static const std::regex leftover(R"(shuju\.dat\.writing-[A-Za-z0-9]{6})");
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
            const std::string name = entry.path().filename().string();
            if (name != "shuju.dat" && name != "shuju.dat.lock") {
                EXPECT_TRUE(std::regex_match(name, leftover)) << name;
            }
        }
    }

    ScopedTempDir dir_;
    const std::string path_ = dir_.file("shuju.dat");
};

unsigned killSeed()
{
    if (const char* fixed = std::getenv("TIEBA_KILL_SEED"))
        return static_cast<unsigned>(std::strtoul(fixed, nullptr, 10));
    return std::random_device{}();
}

TEST_F(DataFileDurabilityTest, EveryReturnedWriteSurvivesAKillAtAnyMoment)
{
    const unsigned seed = killSeed();
    std::cout << "kill moments from seed " << seed << " (TIEBA_KILL_SEED=" << seed << " repeats them)\n";
    RecordProperty("seed", std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMs(1, 50);

    Returned returned;
    long linesRead = 0;
    for (int kill = 1; kill <= 50; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill) + ", seed " + std::to_string(seed));
        WriterProcess writer = startWriter(returned.next, 0, "both", "c");
        ASSERT_EQ(writer.readLine(), "ready");
        // The moment of the kill is the point of the test: a random one within the writes.
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
        writer.kill();
        for (const std::string& line : writer.remainingLines()) {
            returned.take(line);
            ++linesRead;
        }
        expectHolds(returned);
        expectOnlyWriteLeftovers();
        if (HasFailure())
            return;
    }
    ASSERT_FALSE(returned.cookies.empty()) << "no write returned before any of the kills";
    const auto files = std::distance(std::filesystem::directory_iterator(dir_.path()), {});
    std::cout << linesRead << " writes returned before the kills; " << files - 2
              << " temporary files of interrupted writes left\n";

    // A run after all the kills works on the same folder and finishes.
    const long first = returned.next;
    WriterProcess last = startWriter(first, 3, "both", "c");
    ASSERT_EQ(last.readLine(), "ready");
    for (const std::string& line : last.remainingLines())
        returned.take(line);
    EXPECT_EQ(last.wait(), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 2)
        << "the last writer should have removed what interrupted writes left";
    EXPECT_EQ(returned.settings, first + 2);
    expectHolds(returned);
    EXPECT_EQ(stored(gb("账号1"), "id"), "user" + std::to_string(first + 2));
}

TEST_F(DataFileDurabilityTest, TwoWritersAtOnceLoseNothing)
{
    constexpr long kCookies = 40;
    WriterProcess a = startWriter(0, kCookies, "cookies", "a");
    WriterProcess b = startWriter(0, kCookies, "cookies", "b");
    ASSERT_EQ(a.readLine(), "ready");
    ASSERT_EQ(b.readLine(), "ready");
    a.send("go");
    b.send("go");
    EXPECT_EQ(a.remainingLines().size(), static_cast<size_t>(kCookies));
    EXPECT_EQ(b.remainingLines().size(), static_cast<size_t>(kCookies));
    EXPECT_EQ(a.wait(), 0);
    EXPECT_EQ(b.wait(), 0);

    for (long i = 0; i < kCookies; ++i) {
        const std::string value = "v" + std::to_string(i) + ";";
        EXPECT_EQ(stored("cookies1", "a" + std::to_string(i)), value) << i;
        EXPECT_EQ(stored("cookies1", "b" + std::to_string(i)), value) << i;
    }
    expectOnlyWriteLeftovers();
}

} // namespace
} // namespace tieba
