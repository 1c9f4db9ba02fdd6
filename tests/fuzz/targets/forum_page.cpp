// A forum page and a sign answer of any shape.
#include "fuzz/fuzz_targets.h"

#include "signin/sign_engine.h"

namespace tieba::fuzz {

void forumPage(std::string_view input)
{
    const std::string page(input);
    const std::string link = signLinkOf(page);
    require(link.size() <= page.size(), "a sign link longer than its page");
    const std::string gain = signGainOf(page);
    require(page.find(gain) != std::string::npos, "a gain that is not on the page");
}

} // namespace tieba::fuzz
