#include "scene/TentacleCycle.h"

#include <cmath>

namespace {

// Room for the longest path a cycle grows, so that growing allocates nothing.
constexpr std::size_t kPathReserve = 8192;

}  // namespace

TentacleCycle::TentacleCycle(const std::list<PictureEntry>& entries, std::int64_t budgetSeconds,
                             const std::atomic<int>* stopFlag, std::uint32_t decodeTimeLimitMs,
                             DiscPictureLoader::Decoder decoder)
    : Ribbon(kNodeCount),
      pictures_(entries, budgetSeconds, stopFlag),
      stopFlag_(stopFlag),
      loader_(stopFlag, decodeTimeLimitMs, std::move(decoder)),
      canvas_(new CImage()),
      preparedCanvas_(new CImage())
{
    path_.reserve(kPathReserve);
}

void TentacleCycle::Start()
{
    pictures_.Advance();
    canvas_->Create(kCanvasSize, kCanvasSize, 24, CImage::kCompressionRgb, nullptr, 0);
    // Given to the loader in exchange for the first painted one: no canvas is made later.
    preparedCanvas_->Create(kCanvasSize, kCanvasSize, 24, CImage::kCompressionRgb, nullptr, 0);
    Reset();
    // The first disc is many seconds away: time enough to decode its picture.
    RequestCurrentPicture();
}

void TentacleCycle::Reset()
{
    state_ = Waiting;
    waitTime_ = (RandomUnit() + 1.0) * 3000.0;
    pathLength_ = 0.0;
    path_.clear();
    drawable_ = false;
}

bool TentacleCycle::TakeCanvasChange()
{
    const bool changed = canvasChanged_;
    canvasChanged_ = false;
    return changed;
}

bool TentacleCycle::TakePreparedCanvasArrival()
{
    const bool arrived = preparedCanvasArrived_;
    preparedCanvasArrived_ = false;
    return arrived;
}

void TentacleCycle::BuildTubeModel(float* vertexData, std::uint32_t* indices)
{
    float* positions = vertexData;
    float* normals = vertexData + kNormalOffset / 4;
    float* gridX = vertexData + kGridXOffset / 4;
    float* gridY = vertexData + kGridYOffset / 4;
    float* gridPoints = vertexData + kGridPointOffset / 4;
    auto put = [](float* block, int vertex, const Vector3& v) {
        block[vertex * 3 + 0] = static_cast<float>(v.x);
        block[vertex * 3 + 1] = static_cast<float>(v.y);
        block[vertex * 3 + 2] = static_cast<float>(v.z);
    };
    // Ring-local y runs along the tube; M turns ring-local directions into the ribbon's.
    auto M = [](const Vector3& v) { return Vector3(-v.y, v.x, v.z); };
    const Vector3 axis(0.0, 1.0, 0.0);
    double previousRadius = 0.0;
    for (int i = 0; i < kRingCount; ++i) {
        const double h = i * 0.025;
        const double r = (1.0 - h) * 0.1;
        Vector3 a(r, 0.95 * h, 0.0);
        Vector3 b(1.0, 0.0, 0.0);
        if (i > 0) {
            b = Vector3(h, previousRadius - r, 0.0);
            b.Normalize();
        }
        Vector3 d(0.0, 0.0, -1.0);
        Vector3 e = Cross(b, d);
        for (int k = 0; k < 3; ++k) {
            const int vertex = 3 * i + k;
            put(positions, vertex, Vector3(1.0 - a.y, a.x, a.z));
            put(normals, vertex, M(b));
            put(gridX, vertex, M(e));
            put(gridY, vertex, M(d));
            gridPoints[vertex * 2 + 0] = static_cast<float>(h);
            gridPoints[vertex * 2 + 1] = static_cast<float>(0.025 * k);
            a = a.RotateAroundAxis(axis, 2.0943950666666664);
            b = b.RotateAroundAxis(axis, 2.0943950666666664);
            e = e.RotateAroundAxis(axis, 2.0943950666666664);
            d = d.RotateAroundAxis(axis, 2.0943950666666664);
        }
        previousRadius = r;
    }
    std::uint32_t* out = indices;
    for (std::uint32_t j = 0; j < kRingCount - 1; ++j) {
        const std::uint32_t a = 3 * j;
        const std::uint32_t triangles[18] = {a,     a + 1, a + 3, a + 1, a + 4, a + 3, a + 1, a + 2, a + 4,
                                             a + 2, a + 5, a + 4, a + 2, a,     a + 5, a,     a + 3, a + 5};
        for (std::uint32_t index : triangles)
            *out++ = index;
    }
}

ImageRect TentacleCycle::FitPictureToDisc(int width, int height)
{
    const std::int64_t w = width;
    const std::int64_t h = height;
    const std::int64_t d = static_cast<std::int64_t>(std::sqrt(static_cast<double>(w * w + h * h)));
    ImageRect rect;
    if (d <= 0)
        return rect;
    rect.width = static_cast<int>((w * kCanvasSize) / d);
    rect.height = static_cast<int>((h * kCanvasSize) / d);
    rect.left = kCanvasSize / 2 - rect.width / 2;
    rect.top = kCanvasSize / 2 - rect.height / 2;
    return rect;
}

void TentacleCycle::AppendPathPoint(const Vector3& position)
{
    PathPoint point;
    point.position = position;
    if (!path_.empty()) {
        point.segmentLength = (path_.back().position - position).Length();
        pathLength_ += point.segmentLength;
    }
    path_.push_back(point);
}

void TentacleCycle::ResampleRibbon()
{
    const double spacing = pathLength_ * 0.999 / 39.0;
    std::size_t cursor = 0;
    double covered = 0.0;
    for (int n = 0; n < kNodeCount; ++n) {
        const double sample = n * spacing;
        // The running length may drift from the sum of the segments by rounding; the
        // cursor never leaves the path.
        while (covered < sample && cursor + 1 < path_.size()) {
            ++cursor;
            covered += path_[cursor].segmentLength;
        }
        Node(n).position = path_[cursor].position;
    }
    Vector3 seed = path_.front().position - (path_.size() > 1 ? path_[1].position : path_.front().position);
    if (seed.x == 0.0 && seed.z == 0.0)
        seed = path_.front().position - goal_;
    if (seed.x == 0.0 && seed.z == 0.0) {
        seed.x = 0.0;
        seed.z = 1.0;
    }
    seed.y = 0.0;
    Node(0).up = seed;
    Straighten(pathLength_);
    if (path_.size() > 1)
        drawable_ = true;
}

void TentacleCycle::Update(std::uint32_t elapsedMs)
{
    const double dt = static_cast<double>(elapsedMs);
    const DiscPictureLoader::Status picture = FollowPictureLoader(false);
    switch (state_) {
    case Waiting:
        UpdateWaiting(dt, picture);
        break;
    case Starting:
        UpdateStarting();
        break;
    case Growing:
        UpdateGrowing(dt);
        break;
    case Circling:
        UpdateCircling(dt);
        break;
    case DiscBuilt:
        state_ = Showing;
        showTimer_ = 0.0;
        alpha_ = 0.0;
        break;
    case Showing:
        UpdateShowing(dt);
        break;
    case Withdrawing:
        UpdateWithdrawing(dt);
        break;
    }
}

void TentacleCycle::UpdateWaiting(double dt, DiscPictureLoader::Status picture)
{
    if (pictures_.PictureCount() == 0)
        return;
    waitTime_ -= dt;
    if (waitTime_ > 0.0)
        return;
    state_ = Starting;
    // After a disc for which no picture decoded, the search starts again.
    if (picture == DiscPictureLoader::Status::Idle && !preparedCanvasReady_) {
        failedPictures_ = 0;
        RequestCurrentPicture();
    }
    const double u0 = RandomUnit();
    const double u1 = RandomUnit();
    const double u2 = RandomUnit();
    const double u3 = RandomUnit();
    const double u4 = RandomUnit();
    startDirection_ = Vector3(0.4 * u0 - 0.2, 1.0, 0.0);
    startDirection_.Normalize();
    const Vector3 root(4.0 * u2 - 2.0, -2.0, -5.0 - 15.0 * u1);
    AppendPathPoint(root);
    goal_ = root + Vector3(0.8 * u4 - 0.4, u3 + 2.0, 0.0);
}

void TentacleCycle::UpdateStarting()
{
    state_ = Growing;
    tip_ = path_.front().position;
    heading_ = startDirection_;
    side_ = Dot(tip_ - goal_, heading_) < 0.0 ? -1.0 : 1.0;
    stepTimer_ = 0.0;
}

void TentacleCycle::UpdateGrowing(double dt)
{
    stepTimer_ += dt;
    if (stepTimer_ < 50.0)
        return;
    const double t = stepTimer_;
    Vector3 g = tip_ - goal_;
    const double s = Dot(g, heading_) < 0.0 ? -1.0 : 1.0;
    g.Normalize();
    tip_ += heading_ * (0.0001 * t);
    heading_ -= g * (s * 0.0003 * t);
    heading_.Normalize();
    AppendPathPoint(tip_);
    if (s == side_) {
        stepTimer_ = 0.0;
        ResampleRibbon();
        return;
    }
    state_ = Circling;
    circleU_ = tip_ - goal_;
    circleV_ = heading_ * circleU_.Length();
    circleAngle_ = 0.0;
    circleTimer_ = 0.0;
}

void TentacleCycle::UpdateCircling(double dt)
{
    circleTimer_ += dt;
    if (circleTimer_ < 30.0)
        return;
    circleAngle_ += circleTimer_ * (1.03 - std::cos(circleAngle_)) * 6.0 * 0.0004;
    if (circleAngle_ >= 6.2831852) {
        BuildDisc();
        return;
    }
    AppendPathPoint(goal_ + circleU_ * std::cos(circleAngle_) + circleV_ * std::sin(circleAngle_));
    circleTimer_ = 0.0;
    ResampleRibbon();
}

void TentacleCycle::UpdateShowing(double dt)
{
    showTimer_ += dt;
    alpha_ = showTimer_ < 2500.0 ? (1.0 - std::cos(showTimer_ * 0.0012566370400000002)) * 0.5 : 1.0;
    if (showTimer_ > 6000.0) {
        state_ = Withdrawing;
        withdrawTimer_ = 0.0;
        fadeTimer_ = 0.0;
    }
}

void TentacleCycle::UpdateWithdrawing(double dt)
{
    withdrawTimer_ += dt;
    bool removed = false;
    while (withdrawTimer_ > 7.0 && path_.size() > 2) {
        withdrawTimer_ -= 7.0;
        pathLength_ -= path_.back().segmentLength;
        path_.pop_back();
        removed = true;
    }
    if (removed)
        ResampleRibbon();
    fadeTimer_ += dt;
    alpha_ = fadeTimer_ < 700.0 ? (std::cos(fadeTimer_ * 0.004487989428571429) + 1.0) * 0.5 : 0.0;
    if (path_.size() <= 2 && fadeTimer_ > 700.0)
        Reset();
}

void TentacleCycle::BuildDisc()
{
    state_ = DiscBuilt;
    double phi = 1.5707963;
    if (circleU_.y != 0.0)
        phi = std::atan(circleV_.y / circleU_.y);
    if (circleV_.y * std::sin(phi) + circleU_.y * std::cos(phi) < 0.0)
        phi += 3.1415926;
    Vector3 x = circleV_ * std::cos(phi) - circleU_ * std::sin(phi);
    const Vector3 y = circleU_ * std::cos(phi) + circleV_ * std::sin(phi);
    // Facing the camera, so that the picture is not mirrored.
    if (Cross(x, y).z < 0.0)
        x = x * -1.0;
    disc_[0].position = goal_;
    disc_[0].texCoord = Vector2(0.5, 0.5);
    for (int k = 0; k < 40; ++k) {
        const double theta = k * 0.15707963000000003;
        const double c = std::cos(theta);
        const double s = std::sin(theta);
        disc_[k + 1].position = goal_ + x * c + y * s;
        disc_[k + 1].texCoord = Vector2((c + 1.0) / 2.0, (s + 1.0) / 2.0);
    }
    disc_[41] = disc_[1];
    // No picture of the collection decodes now: this cycle shows no disc.
    if (!BuildPictureCanvas())
        Reset();
}

void TentacleCycle::RequestCurrentPicture()
{
    if (pictures_.PictureCount() == 0)
        return;
    loader_.Request(pictures_.Files()[pictures_.CurrentIndex()]);
}

// A picture that does not decode (vanished, damaged, or too slow to decode) is passed
// over for the next one, each tried at most once for a disc: the same rule as when the
// disc was built, only decided earlier. Returns where the loader stands afterwards.
DiscPictureLoader::Status TentacleCycle::FollowPictureLoader(bool wait)
{
    DiscPictureLoader::Status status = wait ? loader_.WaitForResult() : loader_.Poll();
    while (status == DiscPictureLoader::Status::Failed) {
        pictures_.StepForward();
        // All of them failed: the next search starts where this one did.
        if (++failedPictures_ >= pictures_.PictureCount())
            return DiscPictureLoader::Status::Idle;
        RequestCurrentPicture();
        status = wait ? loader_.WaitForResult() : loader_.Poll();
    }
    if (status == DiscPictureLoader::Status::Painted && !preparedCanvasReady_) {
        loader_.TakeCanvas(&preparedCanvas_);
        preparedCanvasReady_ = true;
        preparedCanvasArrived_ = true;
        status = DiscPictureLoader::Status::Idle;
    }
    return status;
}

bool TentacleCycle::BuildPictureCanvas()
{
    if (canvas_->IsNull())
        return false;
    if (stopFlag_ != nullptr && stopFlag_->load(std::memory_order_relaxed) != 0)
        return false;
    // A picture not painted yet leaves this disc without one; it is still on its way
    // for the next.
    FollowPictureLoader(waitForPictures_);
    if (!preparedCanvasReady_)
        return false;
    canvas_.swap(preparedCanvas_);
    preparedCanvasReady_ = false;
    pictures_.Advance();
    failedPictures_ = 0;
    RequestCurrentPicture();
    canvasChanged_ = true;
    return true;
}
