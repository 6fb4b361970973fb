#include "platform/Collation.h"

#include <algorithm>

namespace platform {

namespace {

// ASCII only: a fold that depends on no locale, so the order is the same in every
// session.
unsigned char FoldCase(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

}  // namespace

int CollateForList(const std::string& a, const std::string& b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return FoldCase(a[i]) < FoldCase(b[i]) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

}  // namespace platform
