// The followed-forum page of any shape: input is "page 0x1F excluded name 0x1F excluded name ...".
#include "fuzz/fuzz_targets.h"

#include <algorithm>

#include "signin/followed_forums.h"

namespace tieba::fuzz {
namespace {

void requireAllIn(std::string_view page, const TextList& items, const char* what)
{
    for (const std::string& item : items)
        require(page.find(item) != std::string_view::npos, std::string(what) + " that is not on the page");
}

// What dropExcludedForums must leave of one list: the entries whose forum (same position in
// names) is not excluded; entries beyond the names stay.
TextList keptEntries(const TextList& list, const TextList& names, const TextList& excluded)
{
    TextList kept;
    for (size_t j = 0; j < list.size(); ++j) {
        bool dropped = j < names.size() && std::find(excluded.begin(), excluded.end(), names[j]) != excluded.end();
        if (!dropped)
            kept.push_back(list[j]);
    }
    return kept;
}

} // namespace

void followedForums(std::string_view input)
{
    std::vector<std::string> pieces = splitPieces(input, 4);
    const std::string page = pieces[0];
    (void)followsNoForum(page);

    FollowedForums forums = collectFollowedForums(page);
    requireAllIn(page, forums.names, "a forum name");
    requireAllIn(page, forums.links, "a forum link");
    requireAllIn(page, forums.levels, "a level");
    requireAllIn(page, forums.experience, "an experience figure");
    for (const std::string& link : forums.links)
        require(link.find("kw=") != std::string::npos, "a forum link without kw=");

    TextList excluded(pieces.begin() + 1, pieces.end());
    if (!forums.names.empty())
        excluded.push_back(forums.names.front());
    const FollowedForums before = forums;
    dropExcludedForums(forums, excluded);
    require(forums.names == keptEntries(before.names, before.names, excluded), "names left wrong");
    require(forums.links == keptEntries(before.links, before.names, excluded), "links left out of step");
    require(forums.levels == keptEntries(before.levels, before.names, excluded), "levels left out of step");
    require(forums.experience == keptEntries(before.experience, before.names, excluded),
            "experience left out of step");
}

} // namespace tieba::fuzz
