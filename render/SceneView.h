#pragma once

// The saver's fixed view, set once in the current GL context before the scene is built:
// a 21-degree perspective for a 4:3 screen whatever the window's shape, the camera at
// z = 4 looking at the origin, back faces culled and the depth test on.
void SetSceneView();
