#pragma once
#include <string>
#include <vector>

#include "signin/followed_forums.h"

namespace tieba {

// One followed forum as an engine run sees it.
struct Forum {
    std::string name;
    std::string link; // as on the page, still with "&amp;"
    std::string level;
    std::string experience;

    bool operator==(const Forum&) const = default;
};

// The followed forums of one engine run, entry i for the i-th forum of the page. The page's
// names, links, levels and experience are found by separate searches and can differ in length:
// each text keeps the place it had in its own list, and a text that a shorter list lacks reads
// as empty. The passes visit the entries that have a link.
class ForumList {
public:
    ForumList() = default;
    explicit ForumList(const FollowedForums& found);

    // The forums the passes visit: as many as the page had links.
    long count() const { return static_cast<long>(links_); }
    // Entry i (1-based); empty texts beyond the end.
    Forum at(long i) const;

    // A forum page offering "喜欢本吧" for entry i: an empty level and experience are inserted at
    // i, so the standings of the later forums move one place on. A list shorter than i - 1 is
    // left as it is.
    void insertEmptyStandingAt(long i);

private:
    void insertEmptyAt(std::string Forum::*field, size_t& length, long i);

    std::vector<Forum> entries_;
    size_t links_ = 0;
    size_t levels_ = 0;
    size_t experience_ = 0;
};

} // namespace tieba
