#pragma once

#include <string>

// The program keeps paths in the ANSI code page; the system's wide functions take them
// beyond MAX_PATH.
namespace platform {
namespace win32 {

// The path in UTF-16, made absolute with the "\\?\" prefix when it is too long for the
// plain form. Empty when it cannot be converted.
std::wstring WidePath(const std::string& path);

// A name the system gave in UTF-16, in the given code page (the listing passes the
// ANSI one, CP_ACP); false when some character has no form there (such an item could
// not be opened again by its narrow path).
bool NarrowName(const wchar_t* name, std::string* out, unsigned codePage);

}  // namespace win32
}  // namespace platform
