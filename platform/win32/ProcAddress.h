#pragma once

#include <windows.h>

namespace platform {
namespace win32 {

// An entry looked up at run time, as the function type it has (through the generic
// function pointer, which the compiler accepts without a warning).
template <typename Function>
Function ProcAddressAs(FARPROC address)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

template <typename Function>
Function ProcAddressAs(HMODULE module, const char* name)
{
    return module != nullptr ? ProcAddressAs<Function>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace win32
}  // namespace platform
