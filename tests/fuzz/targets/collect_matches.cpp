// The program's own search patterns over any page.
#include "fuzz/fuzz_targets.h"

#include "core/encoding.h"
#include "web/text_helpers.h"

namespace tieba::fuzz {

void collectMatchesOnPages(std::string_view input)
{
    // The patterns the followed-forum page is read with.
    static const std::vector<std::string> patterns = {
        "kw=.*?>(.*?)</a>",
        gb("(等级\\d*)</"),
        gb("(经验值\\d*)<"),
        "href=\"(.*?kw=.*?)\"",
    };
    for (const std::string& pattern : patterns) {
        TextList matches{"kept"};
        collectMatches(input, pattern, matches);
        require(!matches.empty() && matches.front() == "kept", "collectMatches dropped what the list held");
        for (size_t i = 1; i < matches.size(); ++i)
            require(input.find(matches[i]) != std::string_view::npos, "a match that is not in the page: " + pattern);
    }
}

} // namespace tieba::fuzz
