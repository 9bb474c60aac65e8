// Numbers in GLS text, formatted from their bits by our own code so that
// every build writes the same bytes.
#pragma once

#include "base/gls.h"

// Each writes at out (room for 32 bytes) and returns the length; nothing is
// terminated.
size_t __glsFormatDecimal(GLlong value, char *out);
size_t __glsFormatUnsigned(GLulong value, char *out);
// "0x" and upper-case digits without leading zeros.
size_t __glsFormatHex(GLulong value, char *out);
// The float and double forms: NaN as "0x" and its bits, the infinities as
// "GLS_INF" and "-GLS_INF", finite values as "%.7G" or "%.16G" would print
// them with a two-digit exponent. A width pads finite values with trailing
// spaces (width 0: none).
size_t __glsFormatFloat(GLuint bits, GLint width, char *out);
size_t __glsFormatDouble(GLulong bits, GLint width, char *out);
