#include "text_codec.h"

#include <iconv.h>

#include <cerrno>

namespace tieba::forumsim {

namespace {

// iconv descriptors are costly to open and not safe to share: each thread keeps its own, one
// per direction, for as long as it lives.
class Converters {
public:
    ~Converters()
    {
        for (const Entry& e : entries_)
            iconv_close(e.cd);
    }

    iconv_t get(const char* from, const char* to)
    {
        for (const Entry& e : entries_) {
            if (e.from == from && e.to == to) {
                iconv(e.cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
                return e.cd;
            }
        }
        iconv_t cd = iconv_open(to, from);
        if (cd != reinterpret_cast<iconv_t>(-1))
            entries_.push_back(Entry{from, to, cd});
        return cd;
    }

private:
    struct Entry {
        std::string from;
        std::string to;
        iconv_t cd;
    };
    std::vector<Entry> entries_;
};

// iconv conversion; invalid input sequences are skipped so that a half-broken text still reads.
std::string convert(std::string_view input, const char* from, const char* to, bool* clean = nullptr)
{
    thread_local Converters converters;
    if (clean)
        *clean = true;
    iconv_t cd = converters.get(from, to);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        if (clean)
            *clean = false;
        return {};
    }
    std::string out(input.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            const size_t used = out.size() - outLeft;
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: drop one byte and go on.
        if (clean)
            *clean = false;
        ++in;
        --inLeft;
    }
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

std::string percentEncode(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_') {
            out += ch;
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 0x0F];
        }
    }
    return out;
}

std::string percentDecode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

bool isValidUtf8(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        unsigned minimum = 0;
        unsigned code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            minimum = 0x80;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            minimum = 0x800;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            minimum = 0x10000;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= bytes.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (cc & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string toPageEncoding(std::string_view utf8, PageEncoding encoding)
{
    if (encoding == PageEncoding::Utf8)
        return std::string(utf8);
    return convert(utf8, "UTF-8", "GB18030");
}

std::string encodeNameForLink(std::string_view utf8, PageEncoding encoding)
{
    return percentEncode(toPageEncoding(utf8, encoding));
}

std::string utf8FromClientBytes(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return std::string(bytes);
    return convert(bytes, "GB18030", "UTF-8");
}

std::vector<std::string> nameReadings(std::string_view percentEncodedValue)
{
    const std::string bytes = percentDecode(percentEncodedValue);
    std::vector<std::string> readings;
    if (isValidUtf8(bytes))
        readings.push_back(bytes);
    bool clean = false;
    std::string fromGb = convert(bytes, "GB18030", "UTF-8", &clean);
    if (clean && (readings.empty() || readings.front() != fromGb))
        readings.push_back(std::move(fromGb));
    return readings;
}

FormFields parseForm(std::string_view body)
{
    FormFields fields;
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('&', start);
        if (end == std::string_view::npos)
            end = body.size();
        const std::string_view piece = body.substr(start, end - start);
        if (!piece.empty()) {
            const size_t eq = piece.find('=');
            if (eq == std::string_view::npos)
                fields.emplace_back(std::string(piece), std::string());
            else
                fields.emplace_back(std::string(piece.substr(0, eq)), std::string(piece.substr(eq + 1)));
        }
        start = end + 1;
    }
    return fields;
}

std::string formValue(const FormFields& fields, std::string_view name, bool* found)
{
    for (const auto& [key, value] : fields) {
        if (key == name) {
            if (found)
                *found = true;
            return value;
        }
    }
    if (found)
        *found = false;
    return {};
}

std::string_view targetPath(std::string_view target)
{
    return target.substr(0, target.find('?'));
}

std::string_view targetQuery(std::string_view target)
{
    const size_t q = target.find('?');
    return q == std::string_view::npos ? std::string_view() : target.substr(q + 1);
}

std::string cookieValue(std::string_view cookieHeader, std::string_view name)
{
    size_t start = 0;
    while (start < cookieHeader.size()) {
        size_t end = cookieHeader.find(';', start);
        if (end == std::string_view::npos)
            end = cookieHeader.size();
        std::string_view piece = cookieHeader.substr(start, end - start);
        while (!piece.empty() && piece.front() == ' ')
            piece.remove_prefix(1);
        const size_t eq = piece.find('=');
        if (eq != std::string_view::npos && piece.substr(0, eq) == name)
            return std::string(piece.substr(eq + 1));
        start = end + 1;
    }
    return {};
}

std::string htmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace tieba::forumsim
