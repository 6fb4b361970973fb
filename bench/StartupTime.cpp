// Start-up time of the saver as a screen-saver daemon sees it: from starting the
// program inside a window of ours (as the daemons do, -window-id) until its first frame
// is on the screen, with the time at which each log record appeared, so that the wait
// can be split into its steps. Run under a 1024x768 X server (bench/startup-time.sh).
//
// StartupTime <copy of zentharis in a folder of its own> [runs]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Something other than black in a patch in the middle of the window.
bool ShowsAFrame(Display* display, Window window, int width, int height)
{
    const int patch = 64;
    XImage* image = XGetImage(display, window, width / 2 - patch / 2, height / 3, patch, patch, AllPlanes, ZPixmap);
    if (image == nullptr)
        return false;
    bool lit = false;
    for (int y = 0; y < patch && !lit; ++y)
        for (int x = 0; x < patch && !lit; ++x)
            lit = (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
    XDestroyImage(image);
    return lit;
}

struct Run {
    std::vector<std::pair<double, std::string>> records;  // time in ms, text
    double firstFrame = -1;
};

Run StartOnce(Display* display, Window window, int width, int height, const std::string& program)
{
    const std::string logPath = program + ".log";
    std::remove(logPath.c_str());
    // The window is cleared to black so that only the new run's frame counts.
    XClearWindow(display, window);
    XSync(display, False);

    const std::string windowId = std::to_string(window);
    char* arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>("-window-id"),
                         const_cast<char*>(windowId.c_str()), nullptr};
    Run run;
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, arguments, environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        return run;
    }
    std::size_t linesSeen = 0;
    while (MillisecondsSince(start) < 120000) {
        std::ifstream log(logPath);
        std::string line;
        std::size_t index = 0;
        while (std::getline(log, line)) {
            if (index++ >= linesSeen) {
                run.records.emplace_back(MillisecondsSince(start), line);
                ++linesSeen;
            }
        }
        if (ShowsAFrame(display, window, width, height)) {
            run.firstFrame = MillisecondsSince(start);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return run;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: StartupTime <zentharis copy> [runs]\n");
        return 2;
    }
    const std::string program = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const int width = DisplayWidth(display, screen);
    const int height = DisplayHeight(display, screen);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.override_redirect = True;
    const Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWBackPixel | CWOverrideRedirect, &attributes);
    XMapWindow(display, window);
    XSync(display, False);

    std::vector<Run> done;
    for (int i = 0; i < runs; ++i) {
        done.push_back(StartOnce(display, window, width, height, program));
        std::printf("run %d: first frame after %.0f ms\n", i + 1, done.back().firstFrame);
    }
    // The run with the median first frame, step by step.
    std::sort(done.begin(), done.end(), [](const Run& a, const Run& b) { return a.firstFrame < b.firstFrame; });
    const Run& median = done[done.size() / 2];
    std::printf("\n%dx%d: first frame after %.0f ms (fastest %.0f, slowest %.0f of %d runs); the median run:\n",
                width, height, median.firstFrame, done.front().firstFrame, done.back().firstFrame, runs);
    double previous = 0;
    for (const auto& record : median.records) {
        std::printf("%8.0f  (+%5.0f)  %s\n", record.first, record.first - previous, record.second.c_str());
        previous = record.first;
    }
    std::printf("%8.0f  (+%5.0f)  first frame on the screen\n", median.firstFrame, median.firstFrame - previous);
    const double first = median.firstFrame;
    XCloseDisplay(display);
    return first >= 0 ? 0 : 1;
}
