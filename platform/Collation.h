#pragma once

#include <string>

// The order in which lists show texts to the user (paths, file names): on Windows that
// of the system's sorted list views, in the user's locale; elsewhere ASCII letters
// without regard to case, then byte values.
namespace platform {

// Negative when a comes first, positive when b does, 0 when the order makes no
// difference between them (callers break such ties themselves).
int CollateForList(const std::string& a, const std::string& b);

}  // namespace platform
