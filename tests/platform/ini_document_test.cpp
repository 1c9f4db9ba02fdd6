// Batched edits of the data file's text: many keys in one pass end in exactly the bytes that one
// profile write per key gives, including the spelling and placement rules of single writes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <ostream>
#include <vector>

#include "platform/ini_profile.h"
#include "support/temp_dir.h"

namespace tieba::test {
namespace {

struct BatchCase {
    const char* name;
    const char* before;
    std::vector<ProfileEdit> edits;
    const char* after;
};

void PrintTo(const BatchCase& c, std::ostream* out)
{
    *out << c.name;
}

const BatchCase kBatches[] = {
    {"ReplaceAddAndNewSectionsOnAnLfFile",
     "[a]\nx=1\n\n[b]\ny=2\n",
     {{"a", "X", "9"}, {"a", "z", "3"}, {"c", "k", "v"}, {"a", "w", "4"}, {"c", "k2", "v2"}, {"b", "y", "5"}},
     "[a]\r\nx=9\r\nz=3\r\nw=4\r\n\r\n[b]\r\ny=5\r\n[c]\r\nk=v\r\nk2=v2\r\n"},
    {"OnlyTheFirstAppearanceOfASectionCounts",
     "[a]\r\nk=1\r\n[b]\r\n[a]\r\nk=2\r\n",
     {{"a", "k", "3"}, {"a", "n", "4"}},
     "[a]\r\nk=3\r\nn=4\r\n[b]\r\n[a]\r\nk=2\r\n"},
    {"NewKeysGoBehindTheLastEntryNotTheSectionsTail",
     "[a]\r\n;note\r\n[b]\r\nq=1\r\n\r\n",
     {{"a", "k", "1"}, {"b", "r", "2"}, {"a", "m", "3"}},
     "[a]\r\nk=1\r\nm=3\r\n;note\r\n[b]\r\nq=1\r\nr=2\r\n\r\n"},
    {"AKeySetTwiceKeepsItsFirstSpelling", "", {{" n ", "Key", "1"}, {"n", "KEY", "2"}}, "[n]\r\nKey=2\r\n"},
    {"RefusedEditsAreLeftOutTheOthersWritten",
     "[s]\r\na=1\r\n",
     {{"s", "bad\nkey", "x"}, {"s", "a", "2"}, {"s]", "k", "v"}, {"s", "b", "line\rbreak"}, {"t", "c", "3"}},
     "[s]\r\na=2\r\n[t]\r\nc=3\r\n"},
    {"NothingChangedLeavesTheBytesAsTheyAre", "[s]\na=1\n", {{"s", "A", "1"}}, "[s]\na=1\n"},
    {"GbkNamesCompareByteForByte",
     "[\xD5\xCB\xBA\xC5" "1]\r\nid=1\r\n",
     {{"\xD5\xCB\xBA\xC5" "1", "ID", "2"}, {"\xD5\xCB\xBA\xC5" "2", "id", "3"}},
     "[\xD5\xCB\xBA\xC5" "1]\r\nid=2\r\n[\xD5\xCB\xBA\xC5" "2]\r\nid=3\r\n"},
};

class BatchedWrite : public testing::TestWithParam<BatchCase> {
protected:
    std::string fileText() const
    {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void writeFile(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }

    ScopedTempDir dir_;
    std::string path_ = dir_.file("shuju.dat");
};

TEST_P(BatchedWrite, GivesTheBytesOfOneWritePerKey)
{
    const BatchCase& c = GetParam();
    writeFile(c.before);
    writeProfileStrings(path_, c.edits);
    const std::string batched = fileText();

    writeFile(c.before);
    for (const ProfileEdit& edit : c.edits)
        writeProfileString(path_, edit.section, edit.key, edit.value);

    EXPECT_EQ(batched, c.after);
    EXPECT_EQ(fileText(), c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, BatchedWrite, testing::ValuesIn(kBatches),
                         [](const testing::TestParamInfo<BatchCase>& info) { return std::string(info.param.name); });

TEST(BatchedWriteResult, ARefusedEditMakesTheResultNotOk)
{
    ScopedTempDir dir;
    const std::string path = dir.file("shuju.dat");
    EXPECT_TRUE(writeProfileStrings(path, {{"s", "a", "1"}, {"s", "b", "2"}}).ok);
    const ProfileWrite mixed = writeProfileStrings(path, {{"s", "c", "3"}, {"s", "x=y", "4"}});
    EXPECT_FALSE(mixed.ok);
    EXPECT_FALSE(mixed.error.empty());
    EXPECT_EQ(readProfileString(path, "s", "c", "-"), "3");
}

TEST(IniDocumentLookup, ValuesAndCountsFollowTheEdits)
{
    IniDocument document("[s]\r\nA = 1 \r\nb=2\r\na=shadowed\r\n[t]\r\n");
    EXPECT_EQ(document.value("S", "a"), "1");
    EXPECT_EQ(document.entryCount("s"), 2u);
    EXPECT_EQ(document.entryCount("t"), 0u);
    EXPECT_FALSE(document.value("t", "a").has_value());

    EXPECT_EQ(document.set("t", "a", "x"), IniDocument::Edit::Changed);
    EXPECT_EQ(document.set("t", "A", "x"), IniDocument::Edit::Unchanged);
    EXPECT_EQ(document.set("u", "k", ""), IniDocument::Edit::Changed);
    EXPECT_EQ(document.set("s", "=", "x"), IniDocument::Edit::Refused);
    EXPECT_EQ(document.value("t", "a"), "x");
    EXPECT_EQ(document.value("u", "k"), "");
    EXPECT_EQ(document.entryCount("t"), 1u);
}

} // namespace
} // namespace tieba::test
