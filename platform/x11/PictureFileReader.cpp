#include "platform/x11/PictureReaders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

// Read, not mapped: a file cut short by another program while it is mapped would end the
// saver with SIGBUS, and Linux has no way to keep a file from being cut while mapped.
PictureFailure ReadPictureFile(const char* path, std::vector<std::uint8_t>* bytes)
{
    bytes->clear();
    if (path == nullptr)
        return PictureFailure::Unreadable;
    // Opening without blocking and then looking at what was opened leaves no moment in
    // which a pipe or a device swapped in for the file could make the open wait.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return PictureFailure::Unreadable;
    struct stat status;
    bool ok = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (ok && status.st_size > kMaxPictureFileBytes) {
        close(fd);
        return PictureFailure::TooLarge;
    }
    const int flags = ok ? fcntl(fd, F_GETFL) : -1;
    ok = ok && flags != -1 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
    if (ok) {
        // A file that grows meanwhile is read only as far as it reached when opened.
        bytes->resize(static_cast<std::size_t>(status.st_size));
        std::size_t done = 0;
        while (done < bytes->size()) {
            const ssize_t got = read(fd, bytes->data() + done, bytes->size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                ok = got == 0;
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        bytes->resize(done);
    }
    close(fd);
    if (!ok)
        bytes->clear();
    return ok ? PictureFailure::None : PictureFailure::Unreadable;
}

}  // namespace platform
