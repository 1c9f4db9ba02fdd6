#pragma once
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tieba::fuzz {

// The entry functions of the fuzz targets. Each takes one input, feeds it to a parser of outside
// input and checks what must hold for any input. libFuzzer calls them through fuzz_main.cpp; the
// regression tests replay the kept inputs of tests/fuzz/regressions/<target>/ through them.

void textHelpers(std::string_view input);
void collectMatchesOnPages(std::string_view input);
void storedValue(std::string_view input);
void iniProfile(std::string_view input);
void cookieJar(std::string_view input);
void followedForums(std::string_view input);
void forumPage(std::string_view input);
void loginPages(std::string_view input);
void bumpForm(std::string_view input);
void noticeBlock(std::string_view input);

// Thrown when a checked property does not hold. Nothing catches it under libFuzzer, so the run
// aborts and keeps the input; a regression test reports it as a failure.
class PropertyBroken : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

void require(bool holds, const std::string& what);

// The input cut at its first count - 1 bytes 0x1F (the unit separator, which no page holds):
// always count pieces, the last one keeps the rest of the input, missing pieces are empty.
std::vector<std::string> splitPieces(std::string_view input, size_t count);

// A data file in a scratch folder of this process (in memory under /dev/shm when there is one),
// removed with the folder when the process ends.
const std::string& scratchDataFile();
// Replaces the scratch data file by the given bytes; the lock file beside it stays.
void writeScratchFile(std::string_view bytes);
std::string readScratchFile();

} // namespace tieba::fuzz
