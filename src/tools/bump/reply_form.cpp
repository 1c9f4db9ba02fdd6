#include "tools/bump/reply_form.h"

#include <algorithm>
#include <limits>

#include "web/text_helpers.h"

namespace tieba {

ReplyForm replyFormOf(const std::string& threadPage)
{
    auto value = [&threadPage](const char* name) {
        return textBetween(threadPage, std::string(name) + "\" value=\"", "\"");
    };
    ReplyForm form;
    form.action = textBetween(threadPage, "action=\"", "\"");
    form.fid = value("fid");
    form.tbs = value("tbs");
    form.word = value("word");
    form.ti = value("ti");
    form.sub1 = value("sub1");
    form.src = value("src");
    form.tn = value("tn");
    return form;
}

std::string replyBody(const std::string& threadId, const ReplyForm& form, const std::string& replyText)
{
    return "&z=" + threadId + "&tn=" + form.tn + "&fid=" + form.fid + "&tbs=" + form.tbs + "&co=" + replyText +
           "&word=" + form.word + "&ti=" + form.ti + "&sub1=" + form.sub1 + "&src=" + form.src;
}

int replyCount(const std::string& countText)
{
    if (countText.empty())
        return 5;
    // Leading blanks, a sign and the digits before any decimal point; the rest is ignored.
    size_t at = countText.find_first_not_of(" \t");
    if (at == std::string::npos)
        return 0;
    bool negative = false;
    if (countText[at] == '+' || countText[at] == '-')
        negative = countText[at++] == '-';
    long long count = 0;
    for (; at < countText.size() && countText[at] >= '0' && countText[at] <= '9'; ++at)
        count = std::min<long long>(count * 10 + (countText[at] - '0'), std::numeric_limits<int>::max());
    return static_cast<int>(negative ? -count : count);
}

} // namespace tieba
