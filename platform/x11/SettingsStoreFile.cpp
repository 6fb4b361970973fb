#include "platform/SettingsStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <set>

// One text file per key under the user's configuration folder, one "name=value" line
// per value; backslashes and line breaks in values are escaped. The file may be edited
// by hand (or on another system): lines end in LF or CRLF, and a save keeps every line
// it does not write itself.
namespace platform {

namespace {

// Far more than any settings file holds; a bigger one is not read.
constexpr off_t kMaxFileBytes = 16 * 1024 * 1024;
constexpr int kMaxLinkHops = 40;

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


// The whole file, read without blocking on a FIFO or device put in its place. False
// when it is missing, not a plain file, too big or unreadable; *info describes it.
bool ReadSettingsFile(const std::string& path, std::string* contents, struct stat* info)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = fstat(fd, info) == 0 && S_ISREG(info->st_mode) && info->st_size <= kMaxFileBytes;
    contents->clear();
    char buffer[8192];
    while (ok) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        contents->append(buffer, static_cast<std::size_t>(got));
        ok = static_cast<off_t>(contents->size()) <= kMaxFileBytes;
    }
    close(fd);
    return ok;
}

// A line's name when it holds a value ("name=value", not a comment), else empty.
std::string NameOfLine(const std::string& line)
{
    const std::size_t equals = line.find('=');
    if (line.empty() || line[0] == '#' || equals == std::string::npos || equals == 0)
        return std::string();
    return line.substr(0, equals);
}

// Where a save must write: through symbolic links (even one whose target does not
// exist yet) to the file they name, so the link stays a link.
std::string ResolveLinks(const std::string& path)
{
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info;
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        char resolved[PATH_MAX];
        if (realpath(current.c_str(), resolved) != nullptr)
            return resolved;
        char target[PATH_MAX];
        const ssize_t length = readlink(current.c_str(), target, sizeof target - 1);
        if (length <= 0)
            return current;
        target[length] = '\0';
        if (target[0] == '/') {
            current = target;
        } else {
            const std::size_t slash = current.rfind('/');
            current = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + target;
        }
    }
    return current;
}

// Serialises saves of this folder's files between processes, without a file of its
// own. Gives up after about two seconds.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
    {
        fd_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int attempt = 0; fd_ >= 0 && attempt < 200; ++attempt) {
            if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                held_ = true;
                return;
            }
            usleep(10000);
        }
    }
    ~FolderLock()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

// Temporary files an interrupted save of an earlier version left: name.tmp<digits>.
void RemoveOldTemporaries(const std::string& folder, const std::string& fileName)
{
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const std::string prefix = fileName + ".tmp";
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (name.find_first_not_of("0123456789", prefix.size()) == std::string::npos)
            unlink((folder + "/" + name).c_str());
    }
    closedir(dir);
}

}  // namespace

std::string StoredTextsLocation(const std::string& keyPath) { return FileFor(keyPath); }

bool SameValueName(const std::string& a, const std::string& b) { return a == b; }

int ReadStoredTexts(const std::string& keyPath, StoredTexts* out)
{
    std::string contents;
    struct stat info;
    if (!ReadSettingsFile(FileFor(keyPath), &contents, &info))
        return -1;
    out->clear();
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t end = contents.find('\n', start);
        if (end == std::string::npos)
            end = contents.size();
        std::string line = contents.substr(start, end - start);
        // Line ends written on Windows: a raw carriage return is never part of a value.
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string name = NameOfLine(line);
        if (!name.empty())
            out->emplace_back(name, Unescape(line.substr(name.size() + 1)));
        start = end + 1;
    }
    return 0;
}

int WriteStoredTexts(const std::string& keyPath, const StoredTexts& texts)
{
    const std::string link = FileFor(keyPath);
    if (!MakeFolders(link))
        return -1;
    const std::string target = ResolveLinks(link);
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string fileName = slash == std::string::npos ? target : target.substr(slash + 1);
    if (!MakeFolders(target))
        return -1;
    FolderLock lock(folder);
    if (!lock.Held())
        return -1;

    // The old file's lines are kept in their order; the lines of the values written
    // here are replaced in place (every one of a name given twice), the others appended.
    std::string old;
    struct stat info;
    const bool existed = ReadSettingsFile(target, &old, &info);
    if (!existed) {
        struct stat anything;
        if (lstat(target.c_str(), &anything) == 0)
            return -1;  // there, but not a plain file that can be read: left alone
        old = "# Zentharis screensaver settings: one name=value per line\n";
    }
    const bool crlf = old.find("\r\n") != std::string::npos;
    std::set<std::string> written;
    std::string contents;
    std::size_t start = 0;
    while (start < old.size()) {
        std::size_t end = old.find('\n', start);
        const bool complete = end != std::string::npos;
        if (!complete)
            end = old.size();
        std::string line = old.substr(start, end - start);
        std::string bare = line;
        while (!bare.empty() && bare.back() == '\r')
            bare.pop_back();
        const std::string name = NameOfLine(bare);
        const auto given = name.empty() ? texts.end()
                                        : std::find_if(texts.begin(), texts.end(),
                                                       [&](const auto& text) { return text.first == name; });
        if (given != texts.end()) {
            line = name + "=" + Escape(given->second) + line.substr(bare.size());
            written.insert(name);
        }
        contents += line;
        contents += '\n';
        start = end + 1;
    }
    for (const auto& [name, value] : texts) {
        if (written.insert(name).second)
            contents += name + "=" + Escape(value) + (crlf ? "\r\n" : "\n");
    }

    // Written beside the file under one fixed name and renamed over it, so a failure
    // leaves the old file and an interrupted save leaves at most this one file behind.
    RemoveOldTemporaries(folder, fileName);
    const std::string temporary = target + ".tmp";
    if (unlink(temporary.c_str()) != 0 && errno != ENOENT)
        return -1;
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    const bool modeKept = !existed || fchmod(fd, info.st_mode & 07777) == 0;
    const bool writtenOut = modeKept && WriteAll(fd, contents) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!writtenOut || !closed || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return -1;
    }
    return 0;
}

}  // namespace platform
