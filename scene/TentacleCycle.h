#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "render/Ribbon.h"
#include "render/VectorMath.h"
#include "scene/DiscPictureLoader.h"
#include "settings/CImage.h"
#include "settings/PictureEntry.h"
#include "settings/PictureSequence.h"

// The tentacle's life without OpenGL: it waits, rises from the depth towards a random
// goal, curls once around it, leaves a picture disc there, then withdraws tip first.
// The ribbon's 40 nodes are laid along the grown path; the disc's picture is painted
// into a 512 x 512 bottom-up canvas that the drawing side uploads.
class TentacleCycle : public Ribbon {
public:
    enum TentacleState : std::int32_t {
        Waiting = 0,
        Starting = 1,
        Growing = 2,
        Circling = 3,
        DiscBuilt = 4,
        Showing = 5,
        Withdrawing = 6,
    };

    struct PathPoint {
        Vector3 position;
        double segmentLength = 0.0;  // from the previous point; 0 for the first
    };

    struct DiscVertex {
        Vector3 position;
        Vector2 texCoord;
    };

    static constexpr int kNodeCount = 40;
    static constexpr int kDiscVertexCount = 42;
    static constexpr int kCanvasSize = 512;

    // Tube model: 41 rings of 3 corners, five float blocks in one buffer.
    static constexpr int kRingCount = 41;
    static constexpr int kModelVertexCount = kRingCount * 3;
    static constexpr int kModelIndexCount = 720;
    static constexpr std::size_t kNormalOffset = 1476;
    static constexpr std::size_t kGridXOffset = 2952;
    static constexpr std::size_t kGridYOffset = 4428;
    static constexpr std::size_t kGridPointOffset = 5904;
    static constexpr std::size_t kModelBytes = 6888;

    // Expands the collection (budget in seconds); the expansion and the search for a
    // picture that decodes end early once *stopFlag is non-zero (when given). Pictures
    // are decoded by a loader thread ahead of their disc; decoder and time limit may be
    // given for tests.
    TentacleCycle(const std::list<PictureEntry>& entries, std::int64_t budgetSeconds,
                  const std::atomic<int>* stopFlag,
                  std::uint32_t decodeTimeLimitMs = DiscPictureLoader::kDefaultTimeLimitMs,
                  DiscPictureLoader::Decoder decoder = nullptr);

    // Starts the first wait; the first picture is chosen as every later one.
    void Start();
    void Reset();
    void Update(std::uint32_t elapsedMs);

    // Fills the tube's vertex data (kModelBytes / 4 floats) and its indices.
    static void BuildTubeModel(float* vertexData, std::uint32_t* indices);
    // Where a w x h picture goes on the canvas: its diagonal fitted to 512, centred.
    static ImageRect FitPictureToDisc(int width, int height);

    // True once after a new disc picture was painted into the canvas.
    bool TakeCanvasChange();
    // The next disc's canvas once its picture is painted, before that disc is built;
    // null otherwise. It becomes Canvas() when the disc is built.
    const CImage* PreparedCanvas() const { return preparedCanvasReady_ ? preparedCanvas_.get() : nullptr; }
    // True once after a prepared canvas arrived.
    bool TakePreparedCanvasArrival();
    // When set, a disc whose picture is still being decoded waits for it (at most the
    // decode time limit) instead of going without: for runs that must come out the
    // same on any machine. The saver itself never waits.
    void SetWaitForPictures(bool wait) { waitForPictures_ = wait; }
    int AbandonedDecodes() const { return loader_.AbandonedCount(); }

    TentacleState State() const { return state_; }
    const std::vector<PathPoint>& Path() const { return path_; }
    double PathLength() const { return pathLength_; }
    bool Drawable() const { return drawable_; }
    bool DiscVisible() const { return state_ == Showing || state_ == Withdrawing; }
    double Alpha() const { return alpha_; }
    double WaitTime() const { return waitTime_; }
    const Vector3& Goal() const { return goal_; }
    double CircleAngle() const { return circleAngle_; }
    const std::array<DiscVertex, kDiscVertexCount>& Disc() const { return disc_; }
    const CImage& Canvas() const { return *canvas_; }
    PictureSequence& Pictures() { return pictures_; }

private:
    void AppendPathPoint(const Vector3& position);
    void ResampleRibbon();
    void UpdateWaiting(double dt, DiscPictureLoader::Status picture);
    void UpdateStarting();
    void UpdateGrowing(double dt);
    void UpdateCircling(double dt);
    void UpdateShowing(double dt);
    void UpdateWithdrawing(double dt);
    void BuildDisc();
    bool BuildPictureCanvas();
    void RequestCurrentPicture();
    DiscPictureLoader::Status FollowPictureLoader(bool wait);

    PictureSequence pictures_;
    const std::atomic<int>* stopFlag_;
    std::vector<PathPoint> path_;
    double pathLength_ = 0.0;
    bool drawable_ = false;
    TentacleState state_ = Waiting;
    double waitTime_ = 0.0;
    Vector3 goal_;
    Vector3 startDirection_;
    Vector3 heading_;
    Vector3 tip_;
    double side_ = 1.0;
    double stepTimer_ = 0.0;
    Vector3 circleU_;
    Vector3 circleV_;
    double circleAngle_ = 0.0;
    double circleTimer_ = 0.0;
    std::array<DiscVertex, kDiscVertexCount> disc_{};
    double alpha_ = 0.0;
    double showTimer_ = 0.0;
    double withdrawTimer_ = 0.0;
    double fadeTimer_ = 0.0;
    DiscPictureLoader loader_;
    // Pictures found undecodable since the last disc; all of them: none is tried again
    // before the next cycle.
    unsigned failedPictures_ = 0;
    bool waitForPictures_ = false;
    std::unique_ptr<CImage> canvas_;
    bool canvasChanged_ = false;
    // Taken from the loader as soon as it is painted, so that the drawing side can
    // prepare its texture over several frames.
    std::unique_ptr<CImage> preparedCanvas_;
    bool preparedCanvasReady_ = false;
    bool preparedCanvasArrived_ = false;
};
