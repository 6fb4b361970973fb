#include "scene/TentacleCycle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

const std::string kSamples = std::string(ZEN_BUILD_DIR) + "/sample-pictures";

std::list<PictureEntry> FolderEntry(const std::string& folder) { return {{folder, PictureEntry::Kind::Folder}}; }

// A 100 x 100 BMP, red in its top half and blue below.
std::string WriteHalvesBmp(const std::string& path)
{
    std::ofstream(path, std::ios::binary) << MakeBmp(100, 100, [](int, int y) {
        return y < 50 ? 0xFF0000u : 0x0000FFu;
    });
    return path;
}

// Runs frames of dt until the state is reached; false after maxFrames.
bool RunUntil(TentacleCycle* cycle, TentacleCycle::TentacleState state, std::uint32_t dt, int maxFrames = 200000)
{
    for (int i = 0; i < maxFrames; ++i) {
        if (cycle->State() == state)
            return true;
        cycle->Update(dt);
    }
    return cycle->State() == state;
}

std::uint32_t CanvasPixel(const CImage& canvas, int x, int y)
{
    const std::uint8_t* p = canvas.GetBits() + static_cast<std::ptrdiff_t>(y) * canvas.GetPitch() + x * 3;
    return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

TEST(Tentacles, WithoutPicturesNeverLeavesWaiting)
{
    std::srand(1);
    TentacleCycle cycle({}, 4000, nullptr);
    cycle.Start();
    const double wait = cycle.WaitTime();
    EXPECT_GE(wait, 3000.0);
    EXPECT_LE(wait, 6000.0);
    cycle.Update(0);
    EXPECT_EQ(cycle.WaitTime(), wait);
    for (int i = 0; i < 10000; ++i)
        cycle.Update(1000);
    EXPECT_EQ(cycle.State(), TentacleCycle::Waiting);
    EXPECT_FALSE(cycle.Drawable());
    EXPECT_FALSE(cycle.DiscVisible());
    EXPECT_TRUE(cycle.Path().empty());
}

TEST(Tentacles, AStopRequestEndsTheCollectionsExpansionAndTheSearchForAPicture)
{
    std::atomic<int> stop{1};
    TentacleCycle stopped(FolderEntry(kSamples), 4000, &stop);
    stopped.Start();
    EXPECT_EQ(stopped.Pictures().PictureCount(), 0u);

    stop = 0;
    TentacleCycle cycle(FolderEntry(kSamples), 4000, &stop);
    cycle.Start();
    ASSERT_EQ(cycle.Pictures().PictureCount(), 6u);
    ASSERT_TRUE(RunUntil(&cycle, TentacleCycle::Circling, 16));
    stop = 1;  // asked to stop before the disc: no picture is decoded for it
    while (cycle.State() == TentacleCycle::Circling)
        cycle.Update(16);
    EXPECT_EQ(cycle.State(), TentacleCycle::Waiting);
    EXPECT_FALSE(cycle.TakeCanvasChange());
}

TEST(Tentacles, FitsThePictureDiagonalToTheDisc)
{
    const ImageRect square = TentacleCycle::FitPictureToDisc(100, 100);
    EXPECT_EQ(square.width, 363);
    EXPECT_EQ(square.height, 363);
    EXPECT_EQ(square.left, 75);
    EXPECT_EQ(square.top, 75);
    const ImageRect strip = TentacleCycle::FitPictureToDisc(1000, 10);
    EXPECT_EQ(strip.width, 512);
    EXPECT_EQ(strip.height, 5);
    EXPECT_EQ(strip.left, 0);
    EXPECT_EQ(strip.top, 254);
    const ImageRect big = TentacleCycle::FitPictureToDisc(40000, 30000);  // no overflow
    EXPECT_EQ(big.width, 409);
    EXPECT_EQ(big.height, 307);
}

TEST(Tentacles, TubeModelTapersFromRootToTip)
{
    std::vector<float> data(TentacleCycle::kModelBytes / 4);
    std::vector<std::uint32_t> indices(TentacleCycle::kModelIndexCount);
    TentacleCycle::BuildTubeModel(data.data(), indices.data());
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(data[k * 3], 1.0f);                     // ring 0 at x = 1
        EXPECT_NEAR(data[(120 + k) * 3], 0.05f, 1e-6);          // ring 40 at x = 0.05
        const float y = data[k * 3 + 1], z = data[k * 3 + 2];
        EXPECT_NEAR(std::sqrt(y * y + z * z), 0.1, 1e-6);       // radius 0.1 at the root
        EXPECT_NEAR(data[(120 + k) * 3 + 1], 0.0f, 1e-6);       // and 0 at the tip
        EXPECT_FLOAT_EQ(data[TentacleCycle::kGridPointOffset / 4 + (3 + k) * 2], 0.025f);
    }
    EXPECT_EQ(*std::max_element(indices.begin(), indices.end()), 122u);
    EXPECT_EQ(indices[0], 0u);
    EXPECT_EQ(indices[1], 1u);
    EXPECT_EQ(indices[2], 3u);
}

TEST(Tentacles, GoesThroughEveryStateAndShowsThePictureUpright)
{
    const std::string folder = MakeTestFolder("TentacleCycle");
    WriteHalvesBmp(folder + "/halves.bmp");
    std::srand(7);
    TentacleCycle cycle(FolderEntry(folder), 4000, nullptr);
    cycle.SetWaitForPictures(true);
    cycle.Start();
    ASSERT_EQ(cycle.Pictures().PictureCount(), 1u);

    ASSERT_TRUE(RunUntil(&cycle, TentacleCycle::Starting, 16));
    ASSERT_EQ(cycle.Path().size(), 1u);
    const Vector3 root = cycle.Path().front().position;
    EXPECT_EQ(root.y, -2.0);
    EXPECT_LE(root.z, -5.0);
    EXPECT_GE(root.z, -20.0);
    EXPECT_GE(cycle.Goal().y - root.y, 2.0);
    EXPECT_LE(cycle.Goal().y - root.y, 3.0);
    cycle.Update(16);
    EXPECT_EQ(cycle.State(), TentacleCycle::Growing);
    ASSERT_TRUE(RunUntil(&cycle, TentacleCycle::Circling, 16));
    EXPECT_TRUE(cycle.Drawable());
    double covered = 0.0;
    for (const TentacleCycle::PathPoint& point : cycle.Path())
        covered += point.segmentLength;
    EXPECT_NEAR(cycle.PathLength(), covered, 1e-9);

    ASSERT_TRUE(RunUntil(&cycle, TentacleCycle::DiscBuilt, 16));
    EXPECT_TRUE(cycle.TakeCanvasChange());
    EXPECT_FALSE(cycle.TakeCanvasChange());
    // The disc faces the camera and its t = 1 edge is its highest point.
    const auto& disc = cycle.Disc();
    EXPECT_EQ(disc[41].position.x, disc[1].position.x);
    EXPECT_EQ(disc[41].texCoord.x, disc[1].texCoord.x);
    const Vector3 across = disc[1].position - disc[0].position;   // theta = 0: s = 1
    const Vector3 upward = disc[11].position - disc[0].position;  // theta = pi / 2: t = 1
    EXPECT_GT(Cross(across, upward).z, 0.0);
    for (int k = 1; k <= 40; ++k)
        EXPECT_LE(disc[k].position.y, disc[11].position.y + 1e-9);
    // The canvas: black around the picture, red on top, kept bottom row first.
    const CImage& canvas = cycle.Canvas();
    EXPECT_EQ(CanvasPixel(canvas, 5, 5), 0u);
    EXPECT_EQ(CanvasPixel(canvas, 256, 100), 0xFF0000u);
    EXPECT_EQ(CanvasPixel(canvas, 256, 400), 0x0000FFu);
    EXPECT_EQ(canvas.GetMemory(), canvas.GetBits() + canvas.GetPitch() * 511);

    cycle.Update(16);
    EXPECT_EQ(cycle.State(), TentacleCycle::Showing);
    EXPECT_TRUE(cycle.DiscVisible());
    double previous = -1.0;
    while (cycle.State() == TentacleCycle::Showing) {
        EXPECT_GE(cycle.Alpha(), previous);
        previous = cycle.Alpha();
        cycle.Update(16);
    }
    EXPECT_EQ(previous, 1.0);
    EXPECT_EQ(cycle.State(), TentacleCycle::Withdrawing);
    const std::size_t before = cycle.Path().size();
    cycle.Update(16);
    EXPECT_EQ(cycle.Path().size(), before - 2);  // one point per 7 ms
    // 690 ms remove 98 points; a huge step would remove them all but keeps two, and
    // with the fade over the cycle starts again.
    const std::size_t shorter = cycle.Path().size();
    cycle.Update(690);
    EXPECT_EQ(cycle.Path().size(), shorter > 100 ? shorter - 98 : 2u);
    EXPECT_GT(cycle.Path().size(), 1u);
    cycle.Update(1000000);
    EXPECT_EQ(cycle.Alpha(), 0.0);
    EXPECT_EQ(cycle.State(), TentacleCycle::Waiting);
    EXPECT_TRUE(cycle.Path().empty());
    EXPECT_FALSE(cycle.Drawable());
}

TEST(Tentacles, AlphaRampsInAndOutExactly)
{
    const std::string folder = MakeTestFolder("TentacleAlpha");
    WriteHalvesBmp(folder + "/a.bmp");
    std::srand(3);
    TentacleCycle cycle(FolderEntry(folder), 4000, nullptr);
    cycle.SetWaitForPictures(true);
    cycle.Start();
    ASSERT_TRUE(RunUntil(&cycle, TentacleCycle::Showing, 20));
    EXPECT_EQ(cycle.Alpha(), 0.0);
    cycle.Update(1250);
    EXPECT_NEAR(cycle.Alpha(), 0.5, 1e-6);  // half-way through the 2.5 s fade-in
    cycle.Update(1250);
    EXPECT_EQ(cycle.Alpha(), 1.0);
    cycle.Update(3500);
    EXPECT_EQ(cycle.State(), TentacleCycle::Showing);  // 6000 is not over 6000
    cycle.Update(1);
    ASSERT_EQ(cycle.State(), TentacleCycle::Withdrawing);
    cycle.Update(350);
    EXPECT_NEAR(cycle.Alpha(), 0.5, 1e-6);
    cycle.Update(350);
    EXPECT_EQ(cycle.Alpha(), 0.0);
}

TEST(Tentacles, PassesOverPicturesThatNoLongerDecode)
{
    const std::string folder = MakeTestFolder("TentacleBroken");
    std::ofstream(folder + "/a broken.png", std::ios::binary) << "not a png";
    WriteHalvesBmp(folder + "/b good.bmp");
    std::srand(5);
    TentacleCycle cycle(FolderEntry(folder), 4000, nullptr);
    cycle.SetWaitForPictures(true);
    cycle.Start();
    ASSERT_EQ(cycle.Pictures().PictureCount(), 2u);
    for (int disc = 0; disc < 2; ++disc) {
        ASSERT_TRUE(RunUntil(&cycle, TentacleCycle::DiscBuilt, 16));
        EXPECT_EQ(CanvasPixel(cycle.Canvas(), 256, 100), 0xFF0000u);
        ASSERT_TRUE(RunUntil(&cycle, TentacleCycle::Waiting, 16));
    }

    // Nothing decodes: the tentacle circles, shows no disc and starts over.
    fs::remove(folder + "/b good.bmp");
    TentacleCycle hopeless(FolderEntry(folder), 4000, nullptr);
    hopeless.SetWaitForPictures(true);
    hopeless.Start();
    ASSERT_EQ(hopeless.Pictures().PictureCount(), 1u);
    ASSERT_TRUE(RunUntil(&hopeless, TentacleCycle::Circling, 16));
    while (hopeless.State() == TentacleCycle::Circling)
        hopeless.Update(16);
    EXPECT_EQ(hopeless.State(), TentacleCycle::Waiting);
    EXPECT_FALSE(hopeless.Drawable());
    EXPECT_FALSE(hopeless.TakeCanvasChange());
    EXPECT_TRUE(RunUntil(&hopeless, TentacleCycle::Growing, 16));  // and tries again
}

TEST(Tentacles, ThirtyMinutesAtSixtyFramesKeepCyclingWithinBounds)
{
    std::srand(2024);
    TentacleCycle cycle(FolderEntry(kSamples), 4000, nullptr);
    cycle.SetWaitForPictures(true);
    cycle.Start();
    ASSERT_EQ(cycle.Pictures().PictureCount(), 6u);
    const std::size_t capacity = cycle.Path().capacity();
    std::set<int> states;
    std::set<std::size_t> shown;
    int cycles = 0;
    std::size_t longestPath = 0;
    TentacleCycle::TentacleState previous = cycle.State();
    for (int frame = 0; frame < 30 * 60 * 60; ++frame) {
        cycle.Update(frame % 3 == 0 ? 17 : 16);
        states.insert(cycle.State());
        if (cycle.State() == TentacleCycle::DiscBuilt)
            shown.insert(cycle.Pictures().CurrentIndex());
        if (previous == TentacleCycle::Withdrawing && cycle.State() == TentacleCycle::Waiting)
            ++cycles;
        previous = cycle.State();
        longestPath = std::max(longestPath, cycle.Path().size());
        ASSERT_TRUE(std::isfinite(cycle.Alpha())) << frame;
        ASSERT_TRUE(std::isfinite(cycle.PathLength())) << frame;
        if (frame % 61 == 0) {
            for (int n = 0; n < cycle.NodeCount(); ++n)
                ASSERT_TRUE(Finite(cycle.Node(n).position) && Finite(cycle.Node(n).up)) << frame;
        }
    }
    EXPECT_EQ(states.size(), 7u);
    EXPECT_GE(cycles, 40);
    EXPECT_EQ(shown.size(), 6u);  // every picture came round
    EXPECT_LT(longestPath, capacity);
    EXPECT_EQ(cycle.Path().capacity(), capacity);  // the path never reallocated
}

namespace {

// Pictures named after their colour, so a canvas tells which one it shows.
void WriteColourPictures(const std::string& folder, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::uint32_t colour = 0x102030u + 0x0A0B0Cu * static_cast<std::uint32_t>(i);
        char name[32];
        std::snprintf(name, sizeof name, "/%06X.bmp", colour);
        std::ofstream(folder + name, std::ios::binary) << MakeBmp(8, 8, [&](int, int) { return colour; });
    }
}

std::uint32_t ColourOfPicture(const std::string& path)
{
    return static_cast<std::uint32_t>(std::stoul(fs::path(path).stem().string(), nullptr, 16));
}

// The files shown by the first `discs` discs (by their canvas colour). While the next
// picture is not painted yet each frame is followed by a short real pause, so that the
// loader thread keeps up as on a real run, where a disc is seconds away (a decoder may
// need more real time than the frames it is given here).
std::vector<std::uint32_t> ShownColours(TentacleCycle* cycle, int discs, std::vector<std::size_t>* indices)
{
    std::vector<std::uint32_t> shown;
    TentacleCycle::TentacleState previous = cycle->State();
    for (int frame = 0; frame < 400000 && static_cast<int>(shown.size()) < discs; ++frame) {
        cycle->Update(16);
        if (previous == TentacleCycle::Circling && cycle->State() == TentacleCycle::DiscBuilt) {
            shown.push_back(CanvasPixel(cycle->Canvas(), 256, 256));
            if (indices != nullptr)
                indices->push_back(cycle->Pictures().CurrentIndex());
        }
        previous = cycle->State();
        if (cycle->PreparedCanvas() == nullptr)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return shown;
}

}  // namespace

TEST(Tentacles, DecodingAheadKeepsTheOrderAndTheAdvanceRule)
{
    // Five pictures: one step forward per disc, beginning with the second file.
    const std::string few = MakeTestFolder("TentacleOrderFew");
    WriteColourPictures(few, 5);
    std::srand(9);
    TentacleCycle cycle(FolderEntry(few), 4000, nullptr);
    cycle.Start();
    ASSERT_EQ(cycle.Pictures().PictureCount(), 5u);
    std::vector<std::uint32_t> expected;
    for (std::size_t k = 1; k <= 7; ++k)
        expected.push_back(ColourOfPicture(cycle.Pictures().Files()[k % 5]));
    EXPECT_EQ(ShownColours(&cycle, 7, nullptr), expected);

    // Twenty-five: random steps, one draw of the shared random source per disc. The
    // same seed gives the same pictures whether the disc waits for its decode or not:
    // the loader thread never draws from it.
    const std::string many = MakeTestFolder("TentacleOrderMany");
    WriteColourPictures(many, 25);
    std::vector<std::size_t> freeIndices, waitingIndices;
    std::srand(21);
    TentacleCycle free(FolderEntry(many), 4000, nullptr);
    free.Start();
    const std::vector<std::uint32_t> freeShown = ShownColours(&free, 6, &freeIndices);
    std::srand(21);
    TentacleCycle waiting(FolderEntry(many), 4000, nullptr);
    waiting.SetWaitForPictures(true);
    waiting.Start();
    const std::vector<std::uint32_t> waitingShown = ShownColours(&waiting, 6, &waitingIndices);
    EXPECT_EQ(freeShown, waitingShown);
    EXPECT_EQ(freeIndices, waitingIndices);
    ASSERT_EQ(freeShown.size(), 6u);
    EXPECT_GT(std::set<std::uint32_t>(freeShown.begin(), freeShown.end()).size(), 2u);
}

TEST(Tentacles, APictureThatNeverFinishesDecodingIsPassedOverWithoutHoldingAFrame)
{
    const std::string folder = MakeTestFolder("TentacleStuckDecode");
    WriteColourPictures(folder, 3);
    auto stuckPath = std::make_shared<std::string>();
    auto released = std::make_shared<std::atomic<bool>>(false);
    auto stuckEntered = std::make_shared<std::atomic<int>>(0);
    std::srand(13);
    // A limit well above what a good picture's decode takes on a loaded machine under
    // Wine (100 ms was not): only the stuck decodes may be given up.
    TentacleCycle cycle(FolderEntry(folder), 4000, nullptr, 1000, [stuckPath, released, stuckEntered](const char* path, CImage* picture) {
        if (*stuckPath == path) {
            ++*stuckEntered;
            while (!released->load())  // a decoder caught in a loop
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return false;
        }
        return picture->Load(path) == CImage::kResultOk;
    });
    ASSERT_EQ(cycle.Pictures().PictureCount(), 3u);
    const std::vector<std::string> files = cycle.Pictures().Files();
    *stuckPath = files[1];  // the first picture asked for
    cycle.Start();

    std::vector<std::uint32_t> shown;
    // Frames drawn while a stuck decode is in progress and not yet given up: were a frame
    // to wait for the decoder, or for its time limit, there would be none or one.
    int framesWhileStuck = 0;
    TentacleCycle::TentacleState previous = cycle.State();
    // Bounded by the clock, not by frames: a short sleep may not sleep at all (under
    // Wine), and the decode's limit is on the clock.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (shown.size() < 3 && std::chrono::steady_clock::now() < giveUp) {
        cycle.Update(16);
        if (stuckEntered->load() > cycle.AbandonedDecodes())
            ++framesWhileStuck;
        if (previous == TentacleCycle::Circling && cycle.State() == TentacleCycle::DiscBuilt)
            shown.push_back(CanvasPixel(cycle.Canvas(), 256, 256));
        previous = cycle.State();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    released->store(true);
    // As with a picture that fails: the one after it is shown instead, each time round.
    const std::vector<std::uint32_t> expected = {ColourOfPicture(files[2]), ColourOfPicture(files[0]),
                                                 ColourOfPicture(files[2])};
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(cycle.AbandonedDecodes(), 2);
    EXPECT_GE(framesWhileStuck, 20);
}
