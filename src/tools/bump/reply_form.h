#pragma once
#include <string>

namespace tieba {

// The reply form of a thread's WAP page, as the bumper posts it back. Values stand as they are
// in the page: nothing is decoded or encoded.
struct ReplyForm {
    std::string action, fid, tbs, word, ti, sub1, src, tn;
};

// The fields cut from the page: each the text after the first `<name>" value="` (the action
// after the first `action="`) up to the next double quote; empty when missing.
ReplyForm replyFormOf(const std::string& threadPage);

// The body of one post, field by field in the service's order, the reply text as typed.
std::string replyBody(const std::string& threadId, const ReplyForm& form, const std::string& replyText);

// How many replies "编辑框1" asks for: 5 when it is empty, otherwise the number it begins with,
// truncated toward zero ("3.9" gives 3), 0 when it does not begin with a number.
int replyCount(const std::string& countText);

} // namespace tieba
