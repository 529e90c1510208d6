// OpenGL and GLU for the engine: entry points through libepoxy (which must come
// before GLU's own include of GL/gl.h) and the GLU utility library.
#pragma once

#include <epoxy/gl.h>
#include <GL/glu.h>
