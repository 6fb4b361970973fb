#pragma once

// A GL context of the test's own, on a window of the Xvfb the test runs under, with the
// saver's projection, camera and fixed state: for tests that check what is drawn.
#include <GL/glew.h>
#include <GL/glu.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "render/SceneView.h"
#include "render/VectorMath.h"

class GLTestContext {
public:
    // windowDepth false gives a window without a depth buffer, as the saver's is.
    GLTestContext(int width, int height, bool windowDepth = true) : width_(width), height_(height)
    {
        display_ = XOpenDisplay(nullptr);
        if (display_ == nullptr)
            return;
        int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8,
                            GLX_BLUE_SIZE, 8, GLX_DEPTH_SIZE, windowDepth ? 16 : 0, None};
        XVisualInfo* visual = glXChooseVisual(display_, DefaultScreen(display_), attributes);
        if (visual == nullptr)
            return;
        const Window root = RootWindow(display_, visual->screen);
        XSetWindowAttributes windowAttributes = {};
        windowAttributes.colormap = XCreateColormap(display_, root, visual->visual, AllocNone);
        windowAttributes.border_pixel = 0;
        window_ = XCreateWindow(display_, root, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                0, visual->depth, InputOutput, visual->visual, CWColormap | CWBorderPixel,
                                &windowAttributes);
        XMapWindow(display_, window_);
        XSync(display_, False);
        context_ = glXCreateContext(display_, visual, nullptr, True);
        XFree(visual);
        if (context_ == nullptr || !glXMakeCurrent(display_, window_, context_))
            return;
        if (glewInit() != GLEW_OK || !GLEW_VERSION_2_0)
            return;
        glViewport(0, 0, width, height);
        SetSceneView();
        ready_ = true;
    }

    ~GLTestContext()
    {
        if (display_ == nullptr)
            return;
        glXMakeCurrent(display_, None, nullptr);
        if (context_ != nullptr)
            glXDestroyContext(display_, context_);
        if (window_ != 0)
            XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }

    GLTestContext(const GLTestContext&) = delete;
    GLTestContext& operator=(const GLTestContext&) = delete;

    bool IsReady() const { return ready_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // The back buffer as RGB rows, top row first.
    std::vector<unsigned char> ReadBack() const
    {
        std::vector<unsigned char> rows(static_cast<std::size_t>(width_) * height_ * 3);
        std::vector<unsigned char> bottomUp(rows.size());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
        const std::size_t stride = static_cast<std::size_t>(width_) * 3;
        for (int y = 0; y < height_; ++y)
            std::copy(bottomUp.begin() + static_cast<long>(stride * (height_ - 1 - y)),
                      bottomUp.begin() + static_cast<long>(stride * (height_ - y)),
                      rows.begin() + static_cast<long>(stride * y));
        return rows;
    }

    // Writes a binary PPM; false when the file cannot be written.
    bool SavePpm(const std::string& path) const
    {
        const std::vector<unsigned char> rows = ReadBack();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr)
            return false;
        std::fprintf(file, "P6\n%d %d\n255\n", width_, height_);
        const bool written = std::fwrite(rows.data(), 1, rows.size(), file) == rows.size();
        return std::fclose(file) == 0 && written;
    }

    void Swap() const { glXSwapBuffers(display_, window_); }

private:
    int width_;
    int height_;
    Display* display_ = nullptr;
    Window window_ = 0;
    GLXContext context_ = nullptr;
    bool ready_ = false;
};

// Where a world point lands in the window, through the current matrices and viewport
// (y counted from the bottom, z the depth in 0..1).
inline Vector3 ProjectToWindow(const Vector3& world)
{
    GLdouble model[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble x = 0;
    GLdouble y = 0;
    GLdouble z = 0;
    gluProject(world.x, world.y, world.z, model, projection, viewport, &x, &y, &z);
    return Vector3(x, y, z);
}
