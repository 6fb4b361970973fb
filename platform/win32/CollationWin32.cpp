#include "platform/Collation.h"

#include <windows.h>

#include <climits>

namespace platform {

// A list view sorted ascending orders its items as lstrcmpi does: the user's locale,
// case ignored, accents and punctuation where the locale puts them.
int CollateForList(const std::string& a, const std::string& b)
{
    if (a.size() > INT_MAX || b.size() > INT_MAX)
        return 0;
    const int order = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                     b.data(), static_cast<int>(b.size()));
    return order == 0 ? 0 : order - CSTR_EQUAL;
}

}  // namespace platform
