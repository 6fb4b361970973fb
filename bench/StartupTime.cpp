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
#include <map>
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

double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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

    std::vector<double> firstFrames;
    std::map<std::string, std::vector<double>> recordTimes;
    std::vector<std::string> recordOrder;
    for (int i = 0; i < runs; ++i) {
        const Run run = StartOnce(display, window, width, height, program);
        std::printf("run %d: first frame after %.0f ms\n", i + 1, run.firstFrame);
        firstFrames.push_back(run.firstFrame);
        for (const auto& record : run.records) {
            if (recordTimes.find(record.second) == recordTimes.end())
                recordOrder.push_back(record.second);
            recordTimes[record.second].push_back(record.first);
        }
    }

    std::printf("\n%dx%d, median of %d runs, ms after the program was started:\n", width, height, runs);
    double previous = 0;
    for (const std::string& text : recordOrder) {
        const double at = Median(recordTimes[text]);
        std::printf("%8.0f  (+%5.0f)  %s\n", at, at - previous, text.c_str());
        previous = at;
    }
    const double first = Median(firstFrames);
    std::printf("%8.0f  (+%5.0f)  first frame on the screen\n", first, first - previous);
    XCloseDisplay(display);
    return first >= 0 ? 0 : 1;
}
