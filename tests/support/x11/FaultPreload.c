/* Preloaded (LD_PRELOAD) into the saver by whole-program checks, to bring about what a
 * test machine does not do by itself, at a chosen moment:
 *
 *   ZEN_HOLD_GLEW_MARKER   glewInit is held until the main thread begins a timed wait,
 *                          which in the saver is closing's wait for the render thread:
 *                          the initialisation is certain to be under way when the window
 *                          closes, and goes on at once. The file is created when the
 *                          hold begins.
 *
 * Everything else goes through unchanged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stddef.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

typedef int (*open_function)(const char *, int, ...);
typedef unsigned int (*glew_init_function)(void);
typedef int (*clockwait_function)(pthread_cond_t *, pthread_mutex_t *, clockid_t, const struct timespec *);

static atomic_int closing_began;

static void create_marker(const char *path)
{
    if (path == NULL)
        return;
    open_function real_open = (open_function)dlsym(RTLD_NEXT, "open");
    const int fd = real_open != NULL ? real_open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0644) : -1;
    if (fd >= 0)
        close(fd);
}

unsigned int glewInit(void)
{
    const char *marker = getenv("ZEN_HOLD_GLEW_MARKER");
    if (marker != NULL) {
        create_marker(marker);
        const struct timespec pause_time = {0, 1000000};
        while (atomic_load(&closing_began) == 0)
            nanosleep(&pause_time, NULL);
    }
    glew_init_function real = (glew_init_function)dlsym(RTLD_NEXT, "glewInit");
    return real();
}

int pthread_cond_clockwait(pthread_cond_t *condition, pthread_mutex_t *mutex, clockid_t clock,
                           const struct timespec *until)
{
    if (syscall(SYS_gettid) == getpid())
        atomic_store(&closing_began, 1);
    clockwait_function real = (clockwait_function)dlsym(RTLD_NEXT, "pthread_cond_clockwait");
    return real(condition, mutex, clock, until);
}
