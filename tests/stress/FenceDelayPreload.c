/* Preloaded (LD_PRELOAD) into a GL program drawn by Mesa's llvmpipe to make its fence
 * race frequent. A rasteriser thread finishing a fence (lp_fence_signal) locks the
 * fence's mutex, increments its count, broadcasts, unlocks; the render thread may read
 * the count without the mutex and free the fence before that unlock. Sleeping before
 * the broadcast of the last signal widens the window as a busy scheduler now and then
 * does. Finished fences and swapped frames are counted, so that a run can report its
 * fences per frame even when it crashes.
 *
 *   ZEN_FENCE_DELAY_US    microseconds to sleep there (default 400; 0 only counts)
 *   ZEN_FENCE_COUNT_FILE  file rewritten with the counts every 100 ms and at exit, by
 *                         the process that swaps or finishes fences (a wrapper such as
 *                         timeout that inherits the preload leaves it alone)
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

/* struct lp_fence as Mesa 22.3 lays it out on x86-64 (mtx_t and cnd_t are the pthread
 * types there). Only a broadcast on the `signalled` member is of interest. */
struct lp_fence_layout {
    int reference; /* struct pipe_reference */
    unsigned id;
    pthread_mutex_t mutex;
    pthread_cond_t signalled;
    unsigned char issued; /* boolean */
    unsigned rank;
    unsigned count;
};
_Static_assert(offsetof(struct lp_fence_layout, mutex) == 8, "lp_fence layout of x86-64 expected");
_Static_assert(offsetof(struct lp_fence_layout, signalled) == 48, "lp_fence layout of x86-64 expected");
_Static_assert(offsetof(struct lp_fence_layout, rank) == 100, "lp_fence layout of x86-64 expected");
_Static_assert(sizeof(struct lp_fence_layout) == 112, "lp_fence layout of x86-64 expected");

/* Far above llvmpipe's own thread limit; a larger rank means the memory is no fence. */
enum { MAX_PLAUSIBLE_RANK = 64 };

typedef int (*broadcast_function)(pthread_cond_t *);
typedef void (*swap_function)(void *, unsigned long);

static broadcast_function real_broadcast;
static swap_function real_swap;
static unsigned long delay_us = 400;
static const char *count_path;
static int count_fd = -1;
static pthread_once_t count_file_opened = PTHREAD_ONCE_INIT;
static unsigned long long finished_fences, delayed_fences, swaps;
static long long last_write_ms;

static broadcast_function resolve_broadcast(void)
{
    /* The unversioned dlsym may give the pre-2.3.2 compatibility version. */
    void *found = dlvsym(RTLD_NEXT, "pthread_cond_broadcast", "GLIBC_2.3.2");
    if (!found)
        found = dlsym(RTLD_NEXT, "pthread_cond_broadcast");
    return (broadcast_function)found;
}

static long long monotonic_ms(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

static void open_count_file(void)
{
    count_fd = open(count_path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

/* Fixed-width figures, so each write covers the previous one whole. */
static void write_counts(void)
{
    if (!count_path || (__atomic_load_n(&swaps, __ATOMIC_RELAXED) == 0
                           && __atomic_load_n(&finished_fences, __ATOMIC_RELAXED) == 0))
        return;
    pthread_once(&count_file_opened, open_count_file);
    if (count_fd < 0)
        return;
    char text[128];
    const int length = snprintf(text, sizeof text, "fences %20llu\ndelayed %20llu\nswaps %20llu\n",
        __atomic_load_n(&finished_fences, __ATOMIC_RELAXED),
        __atomic_load_n(&delayed_fences, __ATOMIC_RELAXED), __atomic_load_n(&swaps, __ATOMIC_RELAXED));
    if (pwrite(count_fd, text, (size_t)length, 0) < 0) {
        /* Nothing to do: the run reports missing counts itself. */
    }
}

/* A crash skips the destructor: the file stays at most 100 ms behind. */
static void write_counts_now_and_then(void)
{
    if (!count_path)
        return;
    const long long now = monotonic_ms();
    long long last = __atomic_load_n(&last_write_ms, __ATOMIC_RELAXED);
    if (now - last >= 100
        && __atomic_compare_exchange_n(&last_write_ms, &last, now, 0, __ATOMIC_RELAXED, __ATOMIC_RELAXED))
        write_counts();
}

__attribute__((constructor)) static void start(void)
{
    const char *delay = getenv("ZEN_FENCE_DELAY_US");
    if (delay && *delay)
        delay_us = strtoul(delay, NULL, 10);
    const char *file = getenv("ZEN_FENCE_COUNT_FILE");
    if (file && *file)
        count_path = file;
    real_broadcast = resolve_broadcast();
}

__attribute__((destructor)) static void finish(void)
{
    write_counts();
}

static int is_rasteriser_thread(void)
{
    char name[16];
    return pthread_getname_np(pthread_self(), name, sizeof name) == 0
        && strncmp(name, "llvmpipe-", 9) == 0;
}

/* Copies the fence that would hold `cond`. process_vm_readv reports unreadable memory
 * as an error rather than a fault, should the variable be some other one at the edge
 * of a mapping. */
static int read_fence(pthread_cond_t *cond, struct lp_fence_layout *fence)
{
    struct iovec local = { fence, sizeof *fence };
    struct iovec remote = { (char *)cond - offsetof(struct lp_fence_layout, signalled), sizeof *fence };
    return process_vm_readv(getpid(), &local, 1, &remote, 1, 0) == (ssize_t)sizeof *fence;
}

/* What lp_fence_signal leaves just before its last broadcast: this thread holds the
 * fence's mutex and the count has reached the rank. */
static int is_last_signal(const struct lp_fence_layout *fence)
{
    return fence->mutex.__data.__owner == gettid() && fence->reference > 0 && fence->issued <= 1
        && fence->rank >= 1 && fence->rank <= MAX_PLAUSIBLE_RANK && fence->count == fence->rank;
}

static void sleep_us(unsigned long microseconds)
{
    struct timespec left = { (time_t)(microseconds / 1000000), (long)(microseconds % 1000000) * 1000 };
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

int pthread_cond_broadcast(pthread_cond_t *cond)
{
    broadcast_function broadcast = __atomic_load_n(&real_broadcast, __ATOMIC_RELAXED);
    if (!broadcast) {
        /* Called by a library's constructor before ours ran. */
        broadcast = resolve_broadcast();
        __atomic_store_n(&real_broadcast, broadcast, __ATOMIC_RELAXED);
    }
    const int saved_errno = errno;
    if (is_rasteriser_thread()) {
        struct lp_fence_layout fence;
        if (read_fence(cond, &fence) && is_last_signal(&fence)) {
            __atomic_add_fetch(&finished_fences, 1, __ATOMIC_RELAXED);
            if (delay_us > 0) {
                sleep_us(delay_us);
                __atomic_add_fetch(&delayed_fences, 1, __ATOMIC_RELAXED);
            }
            write_counts_now_and_then();
        }
    }
    errno = saved_errno;
    return broadcast(cond);
}

/* Counts frames for any GLX program, also one that crashes before its own figures are
 * written out. */
void glXSwapBuffers(void *display, unsigned long drawable)
{
    swap_function swap = __atomic_load_n(&real_swap, __ATOMIC_RELAXED);
    if (!swap) {
        swap = (swap_function)dlsym(RTLD_NEXT, "glXSwapBuffers");
        if (!swap) {
            fprintf(stderr, "fence delay preload: no glXSwapBuffers after this library\n");
            abort();
        }
        __atomic_store_n(&real_swap, swap, __ATOMIC_RELAXED);
    }
    __atomic_add_fetch(&swaps, 1, __ATOMIC_RELAXED);
    write_counts_now_and_then();
    swap(display, drawable);
}
