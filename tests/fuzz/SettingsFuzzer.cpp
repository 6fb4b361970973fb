// Bytes -> the settings file -> the options store's load; then save and load again,
// which must give back exactly the values the first load gave.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/SettingsStore.h"
#include "settings/OptionsStore.h"
#include "settings/StoredOptionsParameter_long.h"
#include "settings/StoredOptionsParameter_paths.h"

namespace {

StoredOptionsParameter_long fps("EnableFPS", 0);
StoredOptionsParameter_long vsync("EnableVSync", 1);
StoredOptionsParameter_paths pictures("SlideshowPictures");
StoredOptionsParameter* const options[] = {&fps, &vsync, &pictures, nullptr};
std::string settingsFile;
std::string configFolder;

std::vector<std::string> Values()
{
    std::vector<std::string> values;
    for (StoredOptionsParameter* const* option = options; *option != nullptr; ++option) {
        std::string text;
        if ((*option)->SaveToText(&text) != 0)
            std::abort();
        values.push_back(text);
    }
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    configFolder = std::string(folder) + "/zentharis-fuzz-settings-" + std::to_string(getpid());
    setenv("XDG_CONFIG_HOME", configFolder.c_str(), 1);
    mkdir(configFolder.c_str(), 0700);
    mkdir((configFolder + "/Vorelund").c_str(), 0700);
    settingsFile = configFolder + "/Vorelund/Fuzz.conf";
    std::atexit([] {
        unlink(settingsFile.c_str());
        rmdir((configFolder + "/Vorelund").c_str());
        rmdir(configFolder.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(settingsFile.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();
    for (StoredOptionsParameter* const* option = options; *option != nullptr; ++option)
        (*option)->ResetToDefault();
    OptionsStore store("Fuzz", options);  // loads at once
    const std::vector<std::string> loaded = Values();
    if (store.Save() != 0)
        std::abort();
    for (StoredOptionsParameter* const* option = options; *option != nullptr; ++option)
        (*option)->ResetToDefault();
    if (store.Load() != 0 || Values() != loaded)
        std::abort();  // what was saved does not load back as it was
    return 0;
}
