// The reply form of any thread page, and any reply count: input is "page 0x1F count 0x1F reply".
#include "fuzz/fuzz_targets.h"

#include "tools/bump/reply_form.h"
#include "web/text_helpers.h"

namespace tieba::fuzz {

void bumpForm(std::string_view input)
{
    const std::vector<std::string> pieces = splitPieces(input, 3);
    const std::string& page = pieces[0];

    const ReplyForm form = replyFormOf(page);
    for (const std::string* field : {&form.action, &form.fid, &form.tbs, &form.word, &form.ti, &form.sub1, &form.src,
                                     &form.tn}) {
        require(page.find(*field) != std::string::npos, "a form field that is not on the page");
        require(findFirst(*field, "\"") == -1, "a form field runs past its quote");
    }
    const std::string body = replyBody("4000000001", form, pieces[2]);
    require(body.starts_with("&z=4000000001&tn=" + form.tn + "&fid="), "the reply body starts wrong");

    const int count = replyCount(pieces[1]);
    if (pieces[1].empty())
        require(count == 5, "an empty count box does not ask for 5 replies");
}

} // namespace tieba::fuzz
