#pragma once

// The one way into OpenGL 2.0 and GLU for portable code.
#include <GL/glew.h>
#include <GL/glu.h>
