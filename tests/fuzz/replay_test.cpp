#include "fuzz/replay.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/fuzz_targets.h"

namespace tieba::fuzz {

std::vector<ReplayCase> replayCases(std::initializer_list<std::pair<const char*, void (*)(std::string_view)>> targets)
{
    const std::filesystem::path root = TIEBA_FUZZ_INPUTS;
    std::vector<ReplayCase> cases;
    for (const auto& [target, entry] : targets) {
        for (const char* kind : {"regressions", "corpus"}) {
            const std::filesystem::path folder = root / kind / target;
            if (!std::filesystem::is_directory(folder))
                continue;
            std::vector<std::string> files;
            for (const auto& file : std::filesystem::directory_iterator(folder))
                if (file.is_regular_file())
                    files.push_back(file.path().string());
            std::sort(files.begin(), files.end());
            for (const std::string& file : files)
                cases.push_back(ReplayCase{target, entry, file});
        }
    }
    return cases;
}

std::string replayCaseName(const testing::TestParamInfo<ReplayCase>& info)
{
    const std::filesystem::path path = info.param.path;
    std::string name = info.param.target + "_" + path.parent_path().parent_path().filename().string() + "_" +
                       path.filename().string();
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

TEST_P(FuzzReplayTest, KeepsItsProperties)
{
    std::ifstream in(GetParam().path, std::ios::binary);
    ASSERT_TRUE(in) << GetParam().path;
    const std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        GetParam().entry(input);
    } catch (const PropertyBroken& broken) {
        FAIL() << broken.what() << " (" << GetParam().path << ")";
    }
}

} // namespace tieba::fuzz
