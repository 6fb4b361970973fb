// The stop signals, caught from the first moment of the process. The handler only
// records the request and makes a pipe readable; whoever waits for input (the saver
// window's loop, a GTK dialog) watches that pipe. A watchdog thread ends the process
// if the orderly close has not done so in time, whatever holds it up.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <initializer_list>

#include "platform/StopRequests.h"
#include "platform/x11/X11Session.h"

namespace platform {

namespace {

// Closing normally takes well under this; the saver must be gone within 2 s of the
// request.
const long kWatchdogMs = 1900;

volatile sig_atomic_t stopRequested = 0;
// Written once per signal and never drained, so that it stays readable for every
// watcher once a stop is asked for.
int requestPipe[2] = {-1, -1};
// Read by the watchdog alone.
int watchdogPipe[2] = {-1, -1};

void OnStopSignal(int)
{
    const int savedErrno = errno;
    stopRequested = 1;
    const char byte = 1;
    if (requestPipe[1] >= 0)
        (void)!write(requestPipe[1], &byte, 1);
    if (watchdogPipe[1] >= 0)
        (void)!write(watchdogPipe[1], &byte, 1);
    errno = savedErrno;
}

void* RunWatchdog(void*)
{
    char byte = 0;
    while (read(watchdogPipe[0], &byte, 1) < 0 && errno == EINTR) {
    }
    timespec pause = {kWatchdogMs / 1000, (kWatchdogMs % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
    static const char message[] = "zentharis: asked to stop, the process is ended\n";
    (void)!write(STDERR_FILENO, message, sizeof message - 1);
    _exit(1);
}

}  // namespace

void CatchStopRequests()
{
    if (requestPipe[0] >= 0)
        return;
    if (pipe2(requestPipe, O_NONBLOCK | O_CLOEXEC) != 0 || pipe2(watchdogPipe, O_CLOEXEC) != 0)
        return;
    // The writing end must never block the handler.
    fcntl(watchdogPipe[1], F_SETFL, O_NONBLOCK);
    // A small stack of its own: the process's stack limit may be large or the memory
    // short, and without a watchdog the orderly close still ends the process.
    pthread_attr_t attributes;
    pthread_t watchdog;
    if (pthread_attr_init(&attributes) == 0) {
        pthread_attr_setstacksize(&attributes, 64 * 1024);
        pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
        (void)pthread_create(&watchdog, &attributes, RunWatchdog, nullptr);
        pthread_attr_destroy(&attributes);
    }
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // Daemons end their display programs with SIGTERM; a terminal sends SIGINT or SIGHUP.
    // SIGHUP ignored at the start (nohup) stays ignored. SIGINT is caught even where a
    // shell started the saver in the background with it ignored: asked for by name, it
    // must still be obeyed.
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction previous;
        if (signalNumber == SIGHUP && sigaction(signalNumber, nullptr, &previous) == 0 &&
            previous.sa_handler == SIG_IGN)
            continue;
        sigaction(signalNumber, &action, nullptr);
    }
}

bool StopRequested() { return stopRequested != 0; }

namespace x11 {

int StopRequestFd() { return requestPipe[0]; }

}  // namespace x11

}  // namespace platform
