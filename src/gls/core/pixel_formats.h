// The one table of pixel formats and types. The writer's pixel put reads
// images by it and the size functions count their bytes by it, so the bytes
// a capture announces for an image are the bytes the writer puts.
#pragma once

#include "gls.h"

// How one pixel of format and type is stored: elements per pixel (a packed
// type holds a whole pixel in one element) and bits per element. 1 when the
// pair is valid; 0, outputs untouched, for an unknown format or type, a
// packed type whose layout needs another number of components, or GL_BITMAP
// with a format other than GL_COLOR_INDEX and GL_STENCIL_INDEX.
GLboolean __glsPixelLayout(GLenum format, GLenum type, GLint *outElements, GLint *outBits);
