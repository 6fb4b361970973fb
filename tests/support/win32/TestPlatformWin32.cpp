#include "tests/support/TestPlatform.h"

#include <windows.h>

#include <cstdlib>

bool SetTestEnvironment(const char* name, const char* value, bool overwrite)
{
    return (!overwrite && std::getenv(name) != nullptr) || _putenv_s(name, value) == 0;
}

void UnsetTestEnvironment(const char* name) { _putenv_s(name, ""); }

bool MakeUnreadableFile(const std::string& path)
{
    // Held open without sharing until the process ends: every other open fails.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    return file != INVALID_HANDLE_VALUE;
}

void UsePrivateSettings(const std::string& folder, const std::string& product)
{
    (void)folder;  // the registry is the prefix's own: the test product's keys are cleared
    const std::string keyPath = "Software\\Vorelund\\" + product;
    RegDeleteTreeA(HKEY_CURRENT_USER, keyPath.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyPath.c_str());
}
