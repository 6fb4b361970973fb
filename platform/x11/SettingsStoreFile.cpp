#include "platform/SettingsStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

// One text file per key under the user's configuration folder, one "name=value" line
// per value; backslashes and line breaks in values are escaped.
namespace platform {

namespace {

std::string ConfigFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config";
}

std::string FileFor(const std::string& keyPath)
{
    std::string relative = keyPath;
    const std::string softwarePrefix = "Software\\";
    if (relative.compare(0, softwarePrefix.size(), softwarePrefix) == 0)
        relative.erase(0, softwarePrefix.size());
    for (char& c : relative) {
        if (c == '\\')
            c = '/';
    }
    return ConfigFolder() + "/" + relative + ".conf";
}

std::string Escape(const std::string& value)
{
    std::string text;
    for (char c : value) {
        switch (c) {
        case '\\':
            text += "\\\\";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\r':
            text += "\\r";
            break;
        default:
            text += c;
        }
    }
    return text;
}

std::string Unescape(const std::string& text)
{
    std::string value;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            value += text[i];
            continue;
        }
        const char next = text[++i];
        value += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return value;
}

bool MakeFolders(const std::string& file)
{
    for (std::size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1)) {
        const std::string folder = file.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

std::string StoredTextsLocation(const std::string& keyPath) { return FileFor(keyPath); }

int ReadStoredTexts(const std::string& keyPath, StoredTexts* out)
{
    std::FILE* file = std::fopen(FileFor(keyPath).c_str(), "rb");
    if (file == nullptr)
        return -1;
    out->clear();
    std::string line;
    int c;
    do {
        c = std::fgetc(file);
        if (c != '\n' && c != EOF) {
            line += static_cast<char>(c);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!line.empty() && line[0] != '#' && equals != std::string::npos && equals > 0)
            out->emplace_back(line.substr(0, equals), Unescape(line.substr(equals + 1)));
        line.clear();
    } while (c != EOF);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? -1 : 0;
}

int WriteStoredTexts(const std::string& keyPath, const StoredTexts& texts)
{
    const std::string target = FileFor(keyPath);
    if (!MakeFolders(target))
        return -1;
    std::string contents = "# Zentharis screensaver settings: one name=value per line\n";
    for (const auto& [name, value] : texts)
        contents += name + "=" + Escape(value) + "\n";

    // Written beside the old file and renamed over it, so a failure leaves the old one.
    const std::string temporary = target + ".tmp" + std::to_string(getpid());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    const bool written = WriteAll(fd, contents) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return -1;
    }
    return 0;
}

}  // namespace platform
