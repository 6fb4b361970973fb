// Stamps every frame the saver shows: after each glXSwapBuffers, the monotonic clock
// (seconds) goes on a line of the file named by ZEN_SWAP_STAMPS. Loaded by
// bench/frame-rate.sh, which takes frame times from it: unlike Mesa's HUD it adds no
// work to a frame. Lines are written 64 at a time, so the last few frames of a run
// that is ended may be missing.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

typedef struct _XDisplay Display;
typedef unsigned long GLXDrawable;
typedef void (*SwapFunction)(Display*, GLXDrawable);

enum { kStampsPerWrite = 64, kLineLength = 24 };

static SwapFunction realSwap;
static int stampFile = -1;
static char pending[kStampsPerWrite * kLineLength];
static size_t pendingBytes;
static int pendingStamps;

void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    if (realSwap == NULL) {
        realSwap = (SwapFunction)dlsym(RTLD_NEXT, "glXSwapBuffers");
        const char* path = getenv("ZEN_SWAP_STAMPS");
        if (path != NULL)
            stampFile = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    if (realSwap != NULL)
        realSwap(display, drawable);
    if (stampFile < 0)
        return;
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const int length = snprintf(pending + pendingBytes, kLineLength, "%ld.%06ld\n", (long)now.tv_sec,
                                now.tv_nsec / 1000);
    if (length > 0 && length < kLineLength)
        pendingBytes += (size_t)length;
    if (++pendingStamps == kStampsPerWrite) {
        if (write(stampFile, pending, pendingBytes) < 0)
            stampFile = -1;
        pendingBytes = 0;
        pendingStamps = 0;
    }
}
