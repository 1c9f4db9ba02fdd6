#include "signin/followed_forums.h"

#include "core/encoding.h"
#include "web/text_helpers.h"

namespace tieba {

bool followsNoForum(const std::string& page)
{
    return contains(page, gb("你暂未关注某个吧"));
}

FollowedForums collectFollowedForums(const std::string& page)
{
    FollowedForums forums;
    collectMatches(page, "kw=.*?>(.*?)</a>", forums.names);
    collectMatches(page, gb("(等级\\d*)</"), forums.levels);
    collectMatches(page, gb("(经验值\\d*)<"), forums.experience);
    const std::string listPart = textBetween(page, gb("发言记录"), "</html>");
    collectMatches(listPart, "href=\"(.*?kw=.*?)\"", forums.links);
    return forums;
}

void dropExcludedForums(FollowedForums& forums, const TextList& excluded)
{
    auto eraseAt = [](TextList& list, size_t index) {
        if (index < list.size())
            list.erase(list.begin() + static_cast<long>(index));
    };
    for (const std::string& name : excluded) {
        for (size_t j = 0; j < forums.names.size();) {
            if (forums.names[j] == name) {
                eraseAt(forums.names, j);
                eraseAt(forums.experience, j);
                eraseAt(forums.levels, j);
                eraseAt(forums.links, j);
            } else {
                ++j;
            }
        }
    }
}

} // namespace tieba
