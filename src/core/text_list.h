#pragma once
#include <string>
#include <vector>

namespace tieba {

// A growable list of texts. The program numbers elements from 1, as its users and the pages do;
// these helpers keep that numbering at the call sites.
using TextList = std::vector<std::string>;

// Element n (1-based); the empty text for a position outside the list.
inline std::string elementAt(const TextList& list, long n)
{
    if (n < 1 || n > static_cast<long>(list.size()))
        return {};
    return list[static_cast<size_t>(n - 1)];
}

} // namespace tieba
