#include "notice/tag_stripping.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <unordered_map>
#include <vector>

namespace tieba {
namespace {

// How it works. Every collected tag is "<", text without ">", then ">"; so is each occurrence of
// it in what the removals leave, and an occurrence therefore always ends a "chunk", the text
// from behind one ">" up to and including the next. Instead of searching the whole text once
// per tag, every "<" of a chunk is filed under a hash of the text from it to the chunk's end;
// a tag then finds its occurrences by its own hash. Removing an occurrence leaves the front of
// its chunk, which joins the next chunk: only the "<"s of that front are filed anew, and only
// as far as a later tag could still reach. The text itself is never copied: it is the block
// with some stretches marked gone, kept as pieces in a linked list.
//
// An occurrence counts only where it starts at a character boundary, as in every search of the
// program's texts: the "<" must be preceded, back to the last single-byte character, by an even
// number of bytes of 0x80 and above.

constexpr std::uint64_t kModulus = (std::uint64_t{1} << 61) - 1;

std::uint64_t mulMod(std::uint64_t a, std::uint64_t b)
{
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    std::uint64_t r = static_cast<std::uint64_t>(product & kModulus) + static_cast<std::uint64_t>(product >> 61);
    r = r >= kModulus ? r - kModulus : r;
    return r >= kModulus ? r - kModulus : r;
}

std::uint64_t addMod(std::uint64_t a, std::uint64_t b)
{
    const std::uint64_t r = a + b;
    return r >= kModulus ? r - kModulus : r;
}

std::uint64_t subMod(std::uint64_t a, std::uint64_t b)
{
    return a >= b ? a - b : a + kModulus - b;
}

std::uint64_t powMod(std::uint64_t base, std::uint64_t exponent)
{
    std::uint64_t result = 1;
    for (; exponent; exponent >>= 1, base = mulMod(base, base))
        if (exponent & 1)
            result = mulMod(result, base);
    return result;
}

// A base chosen at random per process, so a page cannot be built to make two texts collide.
std::uint64_t hashBase()
{
    static const std::uint64_t base = [] {
        std::random_device device;
        const std::uint64_t wide = (std::uint64_t{device()} << 32) ^ device();
        return 1000 + wide % (kModulus - 2000);
    }();
    return base;
}

bool isHigh(char c)
{
    return static_cast<unsigned char>(c) >= 0x80;
}

constexpr std::int32_t kNone = -1;

class TagStripper {
public:
    explicit TagStripper(std::string_view text) : s_(text), n_(static_cast<std::int32_t>(text.size())) {}

    std::string run(const std::stop_token& stop)
    {
        collectTags();
        if (tags_.empty())
            return std::string(s_);
        prepare();
        for (size_t step = 0; step < tags_.size(); ++step) {
            if (step % 256 == 0 && stop.stop_requested())
                return {};
            removeAll(step);
        }
        std::string out;
        out.reserve(s_.size());
        for (std::int32_t i = 0; i < n_;) {
            const void* gone = std::memchr(alive_.data() + i, 0, static_cast<size_t>(n_ - i));
            const std::int32_t end =
                gone ? static_cast<std::int32_t>(static_cast<const char*>(gone) - alive_.data()) : n_;
            out.append(s_.data() + i, static_cast<size_t>(end - i));
            for (i = end; i < n_ && !alive_[i]; ++i) {
            }
        }
        return out;
    }

private:
    struct Tag {
        std::int32_t start;
        std::int32_t end; // the ">"
    };
    struct Piece {
        std::int32_t begin, end; // [begin, end) of the block
        std::int32_t prev, next;
    };
    struct Chunk {
        std::int32_t first = kNone, last = kNone; // pieces
        std::int32_t length = 0;
        std::int32_t close = kNone; // position of its ">"; none for the text after the last one
        std::int32_t next = kNone, prev = kNone;
        std::uint64_t hash = 0;
        bool hashKnown = false; // kept only while the chunk is no longer than the longest tag
    };
    // A "<" at `at` filed with the text up to the end of `chunk`, `length` bytes.
    struct Entry {
        std::int32_t at;
        std::int32_t close;
        std::int32_t length;
        std::int32_t chunk;
    };

    // The matches of "<.*?>", left to right without overlap.
    void collectTags()
    {
        std::int32_t from = 0;
        while (true) {
            const size_t open = s_.find('<', static_cast<size_t>(from));
            if (open == std::string_view::npos)
                return;
            const size_t close = s_.find('>', open + 1);
            if (close == std::string_view::npos)
                return;
            tags_.push_back({static_cast<std::int32_t>(open), static_cast<std::int32_t>(close)});
            from = static_cast<std::int32_t>(close) + 1;
        }
    }

    void prepare()
    {
        // reach_[i]: the longest tag after step i; no later step can remove anything longer.
        reach_.assign(tags_.size(), 0);
        for (size_t i = tags_.size() - 1; i > 0; --i)
            reach_[i - 1] = std::max(reach_[i], tags_[i].end - tags_[i].start + 1);
        longest_ = std::max(reach_[0], tags_[0].end - tags_[0].start + 1);
        for (const Tag& tag : tags_)
            lengths_.push_back(tag.end - tag.start + 1);
        std::sort(lengths_.begin(), lengths_.end());
        lengths_.erase(std::unique(lengths_.begin(), lengths_.end()), lengths_.end());

        const std::uint64_t base = hashBase();
        const std::uint64_t inverse = powMod(base, kModulus - 2);
        power_.resize(static_cast<size_t>(longest_) + 2);
        inversePower_.resize(power_.size());
        power_[0] = inversePower_[0] = 1;
        for (size_t i = 1; i < power_.size(); ++i) {
            power_[i] = mulMod(power_[i - 1], base);
            inversePower_[i] = mulMod(inversePower_[i - 1], inverse);
        }
        prefixHash_.resize(static_cast<size_t>(n_) + 1);
        for (std::int32_t i = 0; i < n_; ++i)
            prefixHash_[i + 1] = addMod(mulMod(prefixHash_[i], base), static_cast<unsigned char>(s_[i]) + 1u);

        alive_.assign(static_cast<size_t>(n_), 1);
        asciiParent_.resize(static_cast<size_t>(n_) + 1);
        asciiParent_[0] = 0;
        highParity_.assign(static_cast<size_t>(n_) + 1, 0);
        for (std::int32_t i = 0; i < n_; ++i) {
            asciiParent_[i + 1] = isHigh(s_[i]) ? i : i + 1;
            highParity_[i + 1] ^= isHigh(s_[i]) ? 1 : 0;
            const std::int32_t up = (i + 1) + ((i + 1) & -(i + 1));
            if (up <= n_)
                highParity_[up] ^= highParity_[i + 1];
        }

        index_.reserve(tags_.size() * 2);
        std::int32_t start = 0;
        for (std::int32_t i = 0; i <= n_; ++i) {
            if (i < n_ && s_[i] != '>')
                continue;
            const std::int32_t end = i < n_ ? i + 1 : n_;
            const auto id = static_cast<std::int32_t>(chunks_.size());
            Chunk chunk;
            chunk.close = i < n_ ? i : kNone;
            chunk.prev = id - 1;
            chunk.length = end - start;
            if (end > start) {
                chunk.first = chunk.last = static_cast<std::int32_t>(pieces_.size());
                pieces_.push_back({start, end, pieces_.empty() ? kNone : chunk.first - 1, kNone});
                if (chunk.first > 0)
                    pieces_[chunk.first - 1].next = chunk.first;
            }
            if (chunk.length <= longest_) {
                chunk.hash = hashOf(start, end);
                chunk.hashKnown = true;
            }
            if (id > 0)
                chunks_[id - 1].next = id;
            chunks_.push_back(chunk);
            if (chunk.close != kNone)
                fileOriginal(id, start);
            start = i + 1;
        }
    }

    // Files every "<" of a chunk as the block has it.
    void fileOriginal(std::int32_t id, std::int32_t start)
    {
        const std::int32_t close = chunks_[id].close;
        std::int32_t below = close;
        while (below > start) {
            const void* found = memrchr(s_.data() + start, '<', static_cast<size_t>(below - start));
            if (!found)
                return;
            const auto at = static_cast<std::int32_t>(static_cast<const char*>(found) - s_.data());
            const std::int32_t length = close - at + 1;
            if (length > longest_)
                return;
            file(keyOf(hashOf(at, close + 1), length), Entry{at, close, length, id});
            below = at;
        }
    }

    std::uint64_t hashOf(std::int32_t begin, std::int32_t end) const
    {
        return subMod(prefixHash_[end], mulMod(prefixHash_[begin], power_[end - begin]));
    }

    static std::uint64_t keyOf(std::uint64_t hash, std::int32_t length)
    {
        return hash ^ (static_cast<std::uint64_t>(length) * 0x9E3779B97F4A7C15ULL);
    }

    void file(std::uint64_t key, const Entry& entry) { index_[key].push_back(entry); }

    bool stillThere(const Entry& entry) const { return alive_[entry.at] && alive_[entry.close]; }

    // The last single-byte character before `position` that is still there, or none.
    std::int32_t lastAsciiBefore(std::int32_t position)
    {
        std::int32_t x = position; // asciiParent_ is shifted by one: index x stands for byte x - 1
        while (asciiParent_[x] != x) {
            asciiParent_[x] = asciiParent_[asciiParent_[x]];
            x = asciiParent_[x];
        }
        return x - 1;
    }

    // Parity of the high bytes still there among the first `count` bytes of the block.
    int highParityBefore(std::int32_t count) const
    {
        int parity = 0;
        for (std::int32_t i = count; i > 0; i -= i & -i)
            parity ^= highParity_[i];
        return parity;
    }

    void toggleHigh(std::int32_t position)
    {
        for (std::int32_t i = position + 1; i <= n_; i += i & -i)
            highParity_[i] ^= 1;
    }

    bool atCharacterBoundary(std::int32_t at)
    {
        const std::int32_t ascii = lastAsciiBefore(at);
        return (highParityBefore(at) ^ highParityBefore(ascii + 1)) == 0;
    }

    // Whether the last `length` bytes of the chunk are the tag's.
    bool endsWith(const Chunk& chunk, const Tag& tag) const
    {
        std::int32_t wanted = tag.end + 1;
        for (std::int32_t p = chunk.last; p != kNone && wanted > tag.start; p = pieces_[p].prev) {
            const Piece& piece = pieces_[p];
            const std::int32_t take = std::min(piece.end - piece.begin, wanted - tag.start);
            if (std::memcmp(s_.data() + piece.end - take, s_.data() + wanted - take, static_cast<size_t>(take)) != 0)
                return false;
            wanted -= take;
        }
        return wanted == tag.start;
    }

    void markGone(std::int32_t position)
    {
        alive_[position] = 0;
        if (isHigh(s_[position]))
            toggleHigh(position);
        else
            asciiParent_[position + 1] = position;
    }

    // Cuts `length` bytes off the chunk's end.
    void cutEnd(Chunk& chunk, std::int32_t length)
    {
        chunk.length -= length;
        while (length > 0) {
            Piece& piece = pieces_[chunk.last];
            const std::int32_t take = std::min(piece.end - piece.begin, length);
            for (std::int32_t i = piece.end - take; i < piece.end; ++i)
                markGone(i);
            piece.end -= take;
            length -= take;
            if (piece.end == piece.begin) {
                const std::int32_t gone = chunk.last;
                if (piece.prev != kNone)
                    pieces_[piece.prev].next = piece.next;
                if (piece.next != kNone)
                    pieces_[piece.next].prev = piece.prev;
                chunk.last = chunk.first == gone ? kNone : piece.prev;
                if (chunk.first == gone)
                    chunk.first = kNone;
            }
        }
    }

    void ensureHash(Chunk& chunk)
    {
        if (chunk.hashKnown)
            return;
        std::uint64_t hash = 0;
        for (std::int32_t p = chunk.first; p != kNone; p = pieces_[p].next) {
            hash = addMod(mulMod(hash, power_[pieces_[p].end - pieces_[p].begin]),
                          hashOf(pieces_[p].begin, pieces_[p].end));
            if (p == chunk.last)
                break;
        }
        chunk.hash = hash;
        chunk.hashKnown = true;
    }

    // Files the "<"s of what is left of `front` as the start of chunk `into`, as far back as a
    // later tag of at most `reach` bytes could begin. Only a "<" whose text to the chunk's end is
    // as long as some tag can ever be removed: where the piece is long and such lengths are few,
    // only their places are looked at.
    void fileJoined(const Chunk& front, std::int32_t into, std::int32_t reach)
    {
        Chunk& next = chunks_[into];
        if (next.close == kNone || next.length >= reach)
            return;
        ensureHash(next);
        std::int32_t behind = 0; // bytes of `front` behind the current piece
        std::uint64_t behindHash = 0;
        const auto fileAt = [&](const Piece& piece, std::int32_t at) {
            const std::int32_t length = (piece.end - at) + behind + next.length;
            const std::uint64_t frontHash = addMod(mulMod(hashOf(at, piece.end), power_[behind]), behindHash);
            const std::uint64_t hash = addMod(mulMod(frontHash, power_[next.length]), next.hash);
            file(keyOf(hash, length), Entry{at, next.close, length, into});
        };
        for (std::int32_t p = front.last; p != kNone; p = pieces_[p].prev) {
            const Piece& piece = pieces_[p];
            const std::int32_t size = piece.end - piece.begin;
            const std::int32_t shortest = behind + next.length + 1; // of a text starting in this piece
            const std::int32_t longest = std::min(behind + next.length + size, reach);
            const auto from = std::lower_bound(lengths_.begin(), lengths_.end(), shortest);
            const auto to = std::upper_bound(from, lengths_.end(), longest);
            if ((to - from) * 8 < size) {
                for (auto length = from; length != to; ++length) {
                    const std::int32_t at = piece.end - (*length - behind - next.length);
                    if (s_[at] == '<')
                        fileAt(piece, at);
                }
            } else {
                const std::int32_t lowest = piece.end - (longest - behind - next.length);
                std::int32_t below = piece.end;
                while (below > lowest) {
                    const void* found = memrchr(s_.data() + lowest, '<', static_cast<size_t>(below - lowest));
                    if (!found)
                        break;
                    below = static_cast<std::int32_t>(static_cast<const char*>(found) - s_.data());
                    fileAt(piece, below);
                }
            }
            if (behind + size + next.length >= reach || p == front.first)
                return;
            behindHash = addMod(mulMod(hashOf(piece.begin, piece.end), power_[behind]), behindHash);
            behind += size;
        }
    }

    // Joins what is left of chunk `id` to the front of the next chunk.
    void joinToNext(std::int32_t id, std::int32_t reach)
    {
        Chunk& front = chunks_[id];
        const std::int32_t into = front.next;
        Chunk& next = chunks_[into];
        if (front.length > 0) {
            fileJoined(front, into, reach);
            const bool hashable = front.hashKnown && next.hashKnown && front.length + next.length <= longest_;
            if (hashable)
                next.hash = addMod(mulMod(front.hash, power_[next.length]), next.hash);
            next.hashKnown = hashable;
            next.first = front.first;
            if (next.last == kNone)
                next.last = front.last;
            next.length += front.length;
        }
        next.prev = front.prev;
        if (front.prev != kNone)
            chunks_[front.prev].next = into;
    }

    void removeAll(size_t step)
    {
        const Tag& tag = tags_[step];
        const std::int32_t length = tag.end - tag.start + 1;
        const std::uint64_t hash = hashOf(tag.start, tag.end + 1);
        const std::uint64_t key = keyOf(hash, length);
        const auto it = index_.find(key);
        if (it == index_.end())
            return;
        std::vector<Entry> found = std::move(it->second);
        index_.erase(it);

        // A join made by this pass is filed anew, not in `found`: the pass does not remove what
        // it joins. The order does not matter: a front joined before an occurrence changes
        // neither its text nor whether it starts at a character boundary.
        std::vector<Entry> keep;
        for (const Entry& entry : found) {
            if (entry.length != length || !stillThere(entry))
                continue;
            Chunk& chunk = chunks_[entry.chunk];
            if (!endsWith(chunk, tag)) {
                keep.push_back(entry); // another text of the same hash
                continue;
            }
            // Off a boundary it stays so: a front joined before it ends in an even run of high bytes.
            if (!atCharacterBoundary(entry.at))
                continue;
            if (chunk.hashKnown)
                chunk.hash = mulMod(subMod(chunk.hash, hash), inversePower_[length]);
            cutEnd(chunk, length);
            joinToNext(entry.chunk, reach_[step]);
        }
        if (!keep.empty()) {
            std::vector<Entry>& slot = index_[key];
            slot.insert(slot.end(), keep.begin(), keep.end());
        }
    }

    std::string_view s_;
    std::int32_t n_;
    std::vector<Tag> tags_;
    std::vector<std::int32_t> reach_;
    std::int32_t longest_ = 0;
    std::vector<std::int32_t> lengths_; // of the tags, each once, ascending
    std::vector<std::uint64_t> power_, inversePower_, prefixHash_;
    std::vector<char> alive_;
    std::vector<std::int32_t> asciiParent_; // union-find: index x leads to the last ASCII byte at or before x - 1
    std::vector<std::uint8_t> highParity_;  // Fenwick tree of the high bytes still there, by parity
    std::vector<Piece> pieces_;
    std::vector<Chunk> chunks_;
    std::unordered_map<std::uint64_t, std::vector<Entry>> index_;
};

} // namespace

std::string stripTags(std::string_view block, std::stop_token stop)
{
    return TagStripper(block).run(stop);
}

} // namespace tieba
