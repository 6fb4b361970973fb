#pragma once

#include <atomic>
#include <cstdint>
#include <list>

#include "render/ShaderProgram.h"
#include "scene/TentacleCycle.h"

// The scene's tentacle: TentacleCycle's motion, drawn as a tapered tube bent along the
// ribbon by a shader, with the picture disc in immediate mode.
class TentaclesHolder : public TentacleCycle {
public:
    // The collection of SlideshowPictures, expanded for at most 4000 seconds or until
    // the saver is asked to stop.
    TentaclesHolder();
    // Any collection; stopFlag may be null.
    TentaclesHolder(const std::list<PictureEntry>& entries, const std::atomic<int>* stopFlag);

    bool IsReady() const { return ready_; }
    void Update(std::uint32_t elapsedMs);
    void Draw();

private:
    void Build();
    bool BuildModel();
    void StagePictureRows(const CImage& canvas, int rows);

    bool ready_ = false;
    unsigned int program_ = 0;
    RibbonProgramLocations locations_;
    unsigned int vertexBuffer_ = 0;
    unsigned int indexBuffer_ = 0;
    unsigned int pictureTexture_ = 0;
    // The next disc's picture goes into this texture a strip per frame as soon as it is
    // painted; the two are exchanged when the disc is built, so no frame uploads a
    // whole picture.
    unsigned int stagingTexture_ = 0;
    int stagedRows_ = kCanvasSize;
};
