// The GL errors pending around the debugger's own calls: read away and
// raised again (own_calls.h).
#include "own_calls.h"

#include "api/embed.h"

// A GL context that keeps reporting an error (one that is lost, say) is not
// asked for ever.
enum { MAX_ERRORS_DRAINED = 64 };

void gl_errors_take(GLErrors *errors) {
    OwnCall get_error(__GLS_OP_glGetError);
    errors->count = 0;
    for (int i = 0; i < MAX_ERRORS_DRAINED; ++i) {
        GLenum error = __gls_checked_capture_glGetError();
        if (error == 0) break;
        bool known = false;
        for (int k = 0; k < errors->count; ++k) known = known || errors->codes[k] == error;
        if (!known && errors->count < GLErrors::KEPT) errors->codes[errors->count++] = error;
    }
}

// Raises `error` again by a call that raises it and does nothing else, and
// that the GL performs at once also while a display list is compiled.
static void gl_error_raise(GLenum error) {
    enum { LIST_INDEX = 0x0B33, CLIENT_DEPTH = 0x0BB1, MAX_CLIENT_DEPTH = 0x0D3B, ALL_CLIENT = -1 };
    OwnCall get_integer(__GLS_OP_glGetIntegerv), gen_lists(__GLS_OP_glGenLists),
        new_list(__GLS_OP_glNewList), end_list(__GLS_OP_glEndList),
        push(__GLS_OP_glPushClientAttrib), pop(__GLS_OP_glPopClientAttrib);
    GLint value = 0, depth = 0, max_depth = 0;
    switch (error) {
    case 0x0500:  // GL_INVALID_ENUM
        __gls_checked_capture_glGetIntegerv(0, &value);
        break;
    case 0x0501:  // GL_INVALID_VALUE
        __gls_checked_capture_glGenLists(-1);
        break;
    case 0x0502:  // GL_INVALID_OPERATION
        __gls_checked_capture_glGetIntegerv(LIST_INDEX, &value);
        if (value != 0) {
            __gls_checked_capture_glNewList(1, 0x1300);  // GL_COMPILE
        } else {
            __gls_checked_capture_glEndList();
        }
        break;
    case 0x0503:  // GL_STACK_OVERFLOW: the client stack filled, one more, then as it was
        __gls_checked_capture_glGetIntegerv(CLIENT_DEPTH, &depth);
        __gls_checked_capture_glGetIntegerv(MAX_CLIENT_DEPTH, &max_depth);
        for (GLint i = depth; i <= max_depth; ++i) __gls_checked_capture_glPushClientAttrib((GLbitfield)ALL_CLIENT);
        for (GLint i = depth; i < max_depth; ++i) __gls_checked_capture_glPopClientAttrib();
        break;
    case 0x0504:  // GL_STACK_UNDERFLOW, while the client stack is empty
        __gls_checked_capture_glGetIntegerv(CLIENT_DEPTH, &depth);
        if (depth == 0) __gls_checked_capture_glPopClientAttrib();
        break;
    default:
        break;
    }
}

void gl_errors_raise(const GLErrors *errors) {
    for (int k = 0; k < errors->count; ++k) gl_error_raise(errors->codes[k]);
}

