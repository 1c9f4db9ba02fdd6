#include "fuzz/fuzz_targets.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace tieba::fuzz {
namespace {

// Owns the scratch folder and removes it when the process ends normally.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ignored)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        std::string pattern = (base / "tieba-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a scratch folder");
        folder_ = pattern;
        file_ = (folder_ / "shuju.dat").string();
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& file() const { return file_; }

private:
    std::filesystem::path folder_;
    std::string file_;
};

} // namespace

void require(bool holds, const std::string& what)
{
    if (!holds)
        throw PropertyBroken(what);
}

std::vector<std::string> splitPieces(std::string_view input, size_t count)
{
    std::vector<std::string> pieces;
    while (pieces.size() + 1 < count) {
        size_t cut = input.find('\x1F');
        if (cut == std::string_view::npos)
            break;
        pieces.emplace_back(input.substr(0, cut));
        input.remove_prefix(cut + 1);
    }
    pieces.emplace_back(input);
    pieces.resize(count);
    return pieces;
}

const std::string& scratchDataFile()
{
    static const ScratchFolder folder;
    return folder.file();
}

void writeScratchFile(std::string_view bytes)
{
    std::ofstream out(scratchDataFile(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write the scratch data file");
}

std::string readScratchFile()
{
    std::ifstream in(scratchDataFile(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace tieba::fuzz
