#include "settings/CImage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/TestSupport.h"

// Every hostile picture is loaded in a child process of its own, so that its time and
// peak memory can be measured and a decoder that never returns cannot take the test
// run with it.
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr double kSlowdown = 4.0;  // sanitized builds run several times slower
#else
constexpr double kSlowdown = 1.0;
#endif
constexpr double kMaxSeconds = 2.0;
constexpr long kMaxPeakKilobytes = 300 * 1024;

struct LoadOutcome {
    bool finished = false;  // exited by itself, not killed
    bool decoded = false;
    double cpuSeconds = 0;
    double wallSeconds = 0;
    long peakKilobytes = 0;
    int width = 0;
    int height = 0;
};

LoadOutcome LoadInChild(const std::string& path)
{
    int sizes[2];
    EXPECT_EQ(pipe(sizes), 0);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(sizes[0]);
        alarm(static_cast<unsigned>(20 * kSlowdown));  // a hang ends as a failure, not a stuck test run
        CImage image;
        const bool decoded = image.Load(path.c_str()) == CImage::kResultOk;
        const int size[2] = {image.GetWidth(), image.GetHeight()};
        (void)!write(sizes[1], size, sizeof size);
        _exit(decoded ? 0 : 1);
    }
    close(sizes[1]);
    LoadOutcome outcome;
    int status = 0;
    struct rusage usage = {};
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        outcome.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        outcome.finished = WIFEXITED(status);
        outcome.decoded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        outcome.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                             (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        outcome.peakKilobytes = usage.ru_maxrss;
        int size[2] = {0, 0};
        if (read(sizes[0], size, sizeof size) == sizeof size) {
            outcome.width = size[0];
            outcome.height = size[1];
        }
    }
    close(sizes[0]);
    return outcome;
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        }
        closedir(dir);
    }
    return names;
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Files that hold no picture the bounds allow, or are cut short, must fail to load. A
// JPEG whose scan ends early at a marker decodes as far as it goes (libjpeg's rule), and
// a PNG cut only in its end chunk holds its whole picture.
bool MustFail(const std::string& name)
{
    if (name == "gif-named-as.png" || name == "png-cut-before-end-chunk.png" ||
        name == "jpeg-claims-8192-square.jpg" || name == "jpeg-progressive-claims-4000x3000.jpg")
        return false;
    return Contains(name, "cut") || Contains(name, "claims") || Contains(name, "named-as") ||
           Contains(name, "empty") || Contains(name, "second-image") || Contains(name, "2000-scans") ||
           Contains(name, "not-zlib") || Contains(name, "far-off-screen") || Contains(name, "header-only") ||
           Contains(name, "no-image") || Contains(name, "words") || Contains(name, "most-negative");
}

}  // namespace

TEST(HostilePictures, EveryHostileFileLoadsOrFailsWithinTwoSecondsAndThreeHundredMegabytes)
{
    const std::string folder = MakeTestFolder("HostilePictures");
    const std::string generator = std::string(ZEN_BUILD_DIR) + "/make_hostile_pictures";
    ASSERT_EQ(std::system((generator + " '" + folder + "'").c_str()), 0);
    // A pipe where a picture was: opening it must not wait for a writer.
    ASSERT_EQ(mkfifo((folder + "/pipe-named-as.jpg").c_str(), 0600), 0);
    // Damaged Exif blocks (an offset past the end, IFDs in a loop, a count of 2^32 - 1):
    // held to the same bounds, and still shown.
    for (const char* exif : {"exif-offset-past-end.jpg", "exif-looping-ifds.jpg", "exif-huge-count.jpg"})
        std::filesystem::copy_file(std::string(ZEN_BUILD_DIR) + "/picture-encodings/" + exif, folder + "/" + exif);

    const std::vector<std::string> names = FilesIn(folder);
    ASSERT_GE(names.size(), 40u);
    for (const std::string& name : names) {
        const LoadOutcome outcome = LoadInChild(folder + "/" + name);
        std::printf("%-44s %-8s cpu %.3f s  wall %.3f s  peak %ld MB\n", name.c_str(),
                    outcome.decoded ? "decoded" : "refused", outcome.cpuSeconds, outcome.wallSeconds,
                    outcome.peakKilobytes / 1024);
        ASSERT_TRUE(outcome.finished) << name << ": the load never returned";
        EXPECT_LT(outcome.cpuSeconds, kMaxSeconds * kSlowdown) << name;
        // Wall time on a loaded two-core machine is noisy; CPU time above is the measure,
        // this only catches waiting (on a pipe, a lock, a sleep).
        EXPECT_LT(outcome.wallSeconds, 5 * kMaxSeconds * kSlowdown) << name;
        EXPECT_LT(outcome.peakKilobytes, kMaxPeakKilobytes) << name;
        if (MustFail(name)) {
            EXPECT_FALSE(outcome.decoded) << name;
        }
        if (name.compare(0, 5, "exif-") == 0) {
            EXPECT_TRUE(outcome.decoded) << name;
        }
    }

    // A sound picture whose name lies decodes as what it is; the largest picture the
    // bounds allow decodes whole.
    const LoadOutcome gif = LoadInChild(folder + "/gif-named-as.png");
    EXPECT_TRUE(gif.decoded);
    EXPECT_EQ(gif.width, 32);
    EXPECT_EQ(gif.height, 24);
    const LoadOutcome largest = LoadInChild(folder + "/png-largest-allowed-4096x8192.png");
    EXPECT_TRUE(largest.decoded);
    EXPECT_EQ(largest.width, 4096);
    EXPECT_EQ(largest.height, 8192);
}

TEST(HostilePictures, EverySeedPictureOfTheFuzzersDecodes)
{
    const std::string folder = MakeTestFolder("SeedPictures");
    const std::string generator = std::string(ZEN_BUILD_DIR) + "/make_hostile_pictures";
    ASSERT_EQ(std::system((generator + " --seeds '" + folder + "'").c_str()), 0);
    const std::vector<std::string> names = FilesIn(folder);
    ASSERT_GE(names.size(), 15u);
    for (const std::string& name : names) {
        CImage image;
        EXPECT_EQ(image.Load((folder + "/" + name).c_str()), CImage::kResultOk) << name;
        CImage disc;  // and each can be drawn onto a disc
        ASSERT_TRUE(disc.Create(64, 64, 24));
        EXPECT_TRUE(image.StretchBlt(&disc, {0, 0, 64, 64}, {0, 0, image.GetWidth(), image.GetHeight()})) << name;
    }
}

TEST(HostilePictures, APipeSwappedInForThePictureAtAnyMomentNeverBlocksTheLoad)
{
    const std::string folder = MakeTestFolder("HostilePicturesSwap");
    const std::string path = folder + "/swapped.bmp";
    const std::string picture = MakeBmp(8, 8, [](int x, int) { return x < 4 ? 0xFF0000u : 0x0000FFu; });
    const pid_t child = fork();
    if (child == 0) {
        alarm(static_cast<unsigned>(30 * kSlowdown));  // a blocked open ends the child, and fails the test
        std::atomic<bool> swapping{true};
        std::thread swapper([&] {
            for (int i = 0; i < 400; ++i) {
                const std::string pipePath = folder + "/next-pipe";
                const std::string filePath = folder + "/next-file";
                if (mkfifo(pipePath.c_str(), 0600) != 0 || rename(pipePath.c_str(), path.c_str()) != 0)
                    _exit(3);
                if (std::FILE* file = std::fopen(filePath.c_str(), "wb")) {
                    std::fwrite(picture.data(), 1, picture.size(), file);
                    std::fclose(file);
                }
                if (rename(filePath.c_str(), path.c_str()) != 0)
                    _exit(3);
            }
            swapping = false;
        });
        int loads = 0;
        while (swapping) {
            CImage image;
            image.Load(path.c_str());
            ++loads;
        }
        swapper.join();
        _exit(loads > 0 ? 0 : 4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "a load blocked on the pipe";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
