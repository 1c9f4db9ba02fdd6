#include "core/encoding.h"

#include <cerrno>
#include <iconv.h>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tieba {
namespace {

// One converter per direction and thread: iconv_open is far dearer than a conversion.
class Converter {
public:
    Converter(const char* from, const char* to) : handle_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts input; invalid sequences either fail the whole conversion or are skipped.
    std::optional<std::string> run(std::string_view input, bool skipInvalid)
    {
        if (!valid())
            return std::nullopt;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.resize(input.size() * 2 + 16);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        size_t used = 0;
        while (inLeft > 0) {
            char* dst = out.data() + used;
            size_t dstLeft = out.size() - used;
            size_t r = iconv(handle_, &in, &inLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<size_t>(-1))
                break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
            } else if (errno == EILSEQ || errno == EINVAL) {
                if (!skipInvalid)
                    return std::nullopt;
                ++in;
                --inLeft;
                iconv(handle_, nullptr, nullptr, nullptr, nullptr);
            } else {
                return std::nullopt;
            }
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t handle_;
};

Converter& converterFor(const char* from, const char* to)
{
    // The program needs only a handful of pairs; keep each open for the thread's life.
    struct Entry {
        std::string from, to;
        Converter converter;
        Entry(const char* f, const char* t) : from(f), to(t), converter(f, t) {}
    };
    thread_local std::vector<std::unique_ptr<Entry>> cache;
    for (auto& e : cache)
        if (e->from == from && e->to == to)
            return e->converter;
    cache.push_back(std::make_unique<Entry>(from, to));
    return cache.back()->converter;
}

} // namespace

std::optional<std::string> convertStrict(std::string_view input, const char* from, const char* to)
{
    if (input.empty())
        return std::string();
    return converterFor(from, to).run(input, false);
}

std::string convertLenient(std::string_view input, const char* from, const char* to)
{
    if (input.empty())
        return {};
    return converterFor(from, to).run(input, true).value_or(std::string());
}

std::string gbFromUtf8(std::string_view utf8)
{
    return convertStrict(utf8, "UTF-8", "GB18030").value_or(std::string());
}

std::string utf8FromGb(std::string_view gb)
{
    return convertStrict(gb, "GB18030", "UTF-8").value_or(std::string());
}

namespace {

struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

} // namespace

std::string gb(std::string_view utf8Literal)
{
    // The program's literals are a few hundred at most; anything beyond is converted each time.
    constexpr size_t kRemembered = 1024;
    thread_local std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> remembered;
    if (const auto found = remembered.find(utf8Literal); found != remembered.end())
        return found->second;
    std::string converted = gbFromUtf8(utf8Literal);
    if (remembered.size() < kRemembered)
        remembered.emplace(std::string(utf8Literal), converted);
    return converted;
}

bool isValidUtf8(std::string_view bytes)
{
    return convertStrict(bytes, "UTF-8", "UTF-16LE").has_value();
}

} // namespace tieba
