#pragma once

// The saver's fixed view, set once in the current GL context before the scene is built:
// a 21-degree perspective for a 4:3 screen whatever the window's shape, the camera at
// z = 4 looking at the origin, back faces culled and the depth test on.
void SetSceneView();

// The current matrices and viewport, as OpenGL holds them.
struct ViewState {
    double modelView[16] = {};
    double projection[16] = {};
    int viewport[4] = {0, 0, 0, 0};
};
void ReadViewState(ViewState* view);

// The window pixels (x, y, width, height) that a rectangle parallel to the view, in the
// plane z, covers under the view given: a pixel more on every side, clipped to the
// viewport (width or height 0 where nothing is left).
void ProjectedPixelBox(const ViewState& view, double left, double bottom, double right, double top, double z,
                       int box[4]);
