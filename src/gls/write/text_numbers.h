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
// them with a two-digit exponent, except where those digits would not read
// back as a value (a float below the normal range, or whose digits fall
// below it; a double whose digits pass the largest): then as NaN, "0x" and
// the bits, which read back exactly. A width pads finite values with
// trailing spaces (width 0: none).
size_t __glsFormatFloat(GLuint bits, GLint width, char *out);
size_t __glsFormatDouble(GLulong bits, GLint width, char *out);

// The two roads behind the float and double forms, which must give the same
// bytes wherever both give any: the fast one gives nothing (0) for a value
// it cannot tell from a rounding tie; the exact one is always right and
// slow. The forms above take the fast one, and the exact one where it gives
// nothing.
enum __GLSnumberRoad { __GLS_FAST_OR_EXACT, __GLS_FAST_ONLY, __GLS_EXACT_ONLY };
size_t __glsFormatFloatBy(__GLSnumberRoad road, GLuint bits, GLint width, char *out);
size_t __glsFormatDoubleBy(__GLSnumberRoad road, GLulong bits, GLint width, char *out);
