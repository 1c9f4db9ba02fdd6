#include "signin/forum_list.h"

#include <algorithm>

namespace tieba {

ForumList::ForumList(const FollowedForums& found)
    : links_(found.links.size()), levels_(found.levels.size()), experience_(found.experience.size())
{
    entries_.resize(std::max({found.names.size(), links_, levels_, experience_}));
    for (size_t i = 0; i < found.names.size(); ++i)
        entries_[i].name = found.names[i];
    for (size_t i = 0; i < links_; ++i)
        entries_[i].link = found.links[i];
    for (size_t i = 0; i < levels_; ++i)
        entries_[i].level = found.levels[i];
    for (size_t i = 0; i < experience_; ++i)
        entries_[i].experience = found.experience[i];
}

Forum ForumList::at(long i) const
{
    if (i < 1 || i > static_cast<long>(entries_.size()))
        return {};
    return entries_[static_cast<size_t>(i - 1)];
}

void ForumList::insertEmptyStandingAt(long i)
{
    insertEmptyAt(&Forum::level, levels_, i);
    insertEmptyAt(&Forum::experience, experience_, i);
}

void ForumList::insertEmptyAt(std::string Forum::*field, size_t& length, long i)
{
    if (i < 1 || static_cast<long>(length) < i - 1)
        return;
    const size_t at = static_cast<size_t>(i - 1);
    if (entries_.size() < length + 1)
        entries_.resize(length + 1);
    for (size_t k = length; k > at; --k)
        entries_[k].*field = std::move(entries_[k - 1].*field);
    entries_[at].*field = std::string();
    ++length;
}

} // namespace tieba
