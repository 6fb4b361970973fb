#include "settings/StoredOptionsParameter_long.h"

#include <cctype>

int StoredOptionsParameter_long::LoadFromText(const char* text)
{
    // atol's reading, kept in 32 bits with wrap-around instead of its undefined overflow.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (std::isspace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::uint32_t magnitude = 0;
    while (*p >= '0' && *p <= '9') {
        magnitude = magnitude * 10u + static_cast<std::uint32_t>(*p - '0');
        ++p;
    }
    if (negative)
        magnitude = 0u - magnitude;
    value_ = static_cast<std::int32_t>(magnitude);
    return 0;
}

int StoredOptionsParameter_long::SaveToText(std::string* text) const
{
    *text = std::to_string(value_);
    return 0;
}
