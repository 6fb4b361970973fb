#pragma once

#include <string>

namespace platform {

// Full path of the running executable; empty when it cannot be found.
std::string ExecutablePath();

}  // namespace platform
