#pragma once

// OpenGL set up for drawing the overlay in window pixels over the finished frame, the
// same for every backend. Construction saves what the scene set up and destruction
// puts it back; between the two, (0, 0) is the window's bottom-left pixel.
namespace platform {

class OverlayGLState {
public:
    // A full-window viewport and an orthographic projection of it; no shaders, no
    // texturing on any unit, no pixel-unpack buffer, and nothing that would alter the
    // overlay's pixels (depth, culling, lighting, blending, the alpha, stencil and
    // scissor tests, fog, logic operations, a colour mask).
    OverlayGLState(int windowWidth, int windowHeight);
    ~OverlayGLState();
    OverlayGLState(const OverlayGLState&) = delete;
    OverlayGLState& operator=(const OverlayGLState&) = delete;

private:
    int program_ = 0;
    int activeTexture_ = 0;
    int unpackBuffer_ = 0;
};

}  // namespace platform
