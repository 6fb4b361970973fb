/* Preloaded (LD_PRELOAD) into the saver by whole-program checks, to bring about what a
 * test machine does not do by itself, at a chosen moment:
 *
 *   ZEN_STUCK_OPEN_PATH    opening this file never returns, as on a network drive that
 *                          stopped answering
 *   ZEN_STUCK_OPEN_MARKER  created when a thread first gets stuck there
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
#include <stdarg.h>
#include <stdatomic.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>
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

static void hold_if_stuck(const char *path)
{
    const char *stuck = getenv("ZEN_STUCK_OPEN_PATH");
    if (path == NULL || stuck == NULL || strcmp(path, stuck) != 0)
        return;
    create_marker(getenv("ZEN_STUCK_OPEN_MARKER"));
    for (;;)
        pause();
}

static int forward_open(const char *name, const char *path, int flags, va_list arguments)
{
    /* The mode is read only when the flags ask for one, as open itself does. */
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE)
        mode = (mode_t)va_arg(arguments, int);
    hold_if_stuck(path);
    open_function real = (open_function)dlsym(RTLD_NEXT, name);
    return real(path, flags, mode);
}

int open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int fd = forward_open("open", path, flags, arguments);
    va_end(arguments);
    return fd;
}

int open64(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int fd = forward_open("open64", path, flags, arguments);
    va_end(arguments);
    return fd;
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
