#include "tests/support/TestSupport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/SettingsStore.h"

std::string MakeTestFolder(const std::string& name)
{
    const std::filesystem::path folder = std::filesystem::path(ZEN_BUILD_DIR) / "test-work" / name;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    return folder.string();
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

std::string ReadTextFile(const std::string& path)
{
    const std::string bytes = ReadWholeFile(path);
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            text += bytes[i];
    }
    return text;
}

std::string StoredSettingsLines(const std::string& product)
{
    platform::StoredTexts texts;
    if (platform::ReadStoredTexts("Software\\Vorelund\\" + product, &texts) != 0)
        return "";
    std::string lines;
    for (const auto& [name, value] : texts)
        lines += name + "=" + value + "\n";
    return lines;
}
