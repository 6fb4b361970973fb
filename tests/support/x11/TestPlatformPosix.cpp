#include "tests/support/TestPlatform.h"

#include <sys/stat.h>

#include <cstdlib>

bool SetTestEnvironment(const char* name, const char* value, bool overwrite)
{
    return setenv(name, value, overwrite ? 1 : 0) == 0;
}

void UnsetTestEnvironment(const char* name) { unsetenv(name); }

bool MakeUnreadableFile(const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }

void UsePrivateSettings(const std::string& folder, const std::string& product)
{
    (void)product;  // every product's file lives under the configuration folder
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
}
