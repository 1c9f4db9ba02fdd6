#pragma once
#include <string>

#include "core/text_list.h"

namespace tieba {

// The four lists read from an account's followed-forum page. They are filled by separate
// searches and may differ in length; an engine run turns them into one ForumList.
struct FollowedForums {
    TextList names;      // link texts of the forum anchors on the whole page
    TextList links;      // hrefs of the forum anchors after "发言记录", still with "&amp;"
    TextList levels;     // "等级" + digits
    TextList experience; // "经验值" + digits
};

// The page says the account follows no forum.
bool followsNoForum(const std::string& page);

FollowedForums collectFollowedForums(const std::string& page);

// Drops every forum whose name equals an excluded name exactly, from all four lists.
void dropExcludedForums(FollowedForums& forums, const TextList& excluded);

} // namespace tieba
