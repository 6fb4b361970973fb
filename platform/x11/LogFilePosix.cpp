#include "platform/LogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

namespace {

const char kVendorFolder[] = "Vorelund";

bool MakeFolders(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::FILE* CreateLogFile(const std::string& path)
{
    if (path.empty())
        return nullptr;
    // O_NONBLOCK keeps a pipe without a reader from holding the open; the check after it
    // refuses whatever is not a plain file before anything is written.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0)
        return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ftruncate(fd, 0) != 0) {
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, O_APPEND);
    std::FILE* file = fdopen(fd, "a");
    if (file == nullptr)
        close(fd);
    return file;
}

std::string UserStateFolder()
{
    // XDG base directories: a relative path in the variable is to be ignored.
    std::string base;
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/')
            return std::string();
        base = std::string(home) + "/.local/state";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    const std::string folder = base + "/" + kVendorFolder;
    return MakeFolders(folder) ? folder : std::string();
}

}  // namespace platform
