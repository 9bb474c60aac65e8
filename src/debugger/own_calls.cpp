// The GL errors pending around the debugger's own calls: read away, and given
// back to the application, raised again or kept for its glGetError
// (own_calls.h).
#include "own_calls.h"

#include <atomic>

#include "api/embed.h"

// A GL context that keeps reporting an error (one that is lost, say) is not
// asked for ever.
enum { MAX_ERRORS_DRAINED = 64 };

enum { ERROR_FLAGS_ONE = 1, ERROR_FLAGS_SEVERAL = 2 };

enum {
    LIST_INDEX = 0x0B33,
    CLIENT_DEPTH = 0x0BB1,
    MAX_TEXTURE_SIZE = 0x0D33,
    MAX_CLIENT_DEPTH = 0x0D3B,
    ALL_CLIENT = -1
};

// Set once a record of the process has kept an error: until then no
// attach looks for errors other threads keep.
static std::atomic<bool> errors_kept_anywhere;

static bool has_code(const GLenum *codes, int count, GLenum error) {
    for (int k = 0; k < count; ++k) {
        if (codes[k] == error) return true;
    }
    return false;
}

static void add_code(GLErrors *errors, GLenum error) {
    if (!has_code(errors->codes, errors->count, error) && errors->count < GLErrors::KEPT) {
        errors->codes[errors->count++] = error;
    }
}

void gl_errors_take(GLErrors *errors) {
    OwnCall get_error(__GLS_OP_glGetError);
    errors->count = 0;
    for (int i = 0; i < MAX_ERRORS_DRAINED; ++i) {
        GLenum error = __gls_checked_capture_glGetError();
        if (error == 0) break;
        add_code(errors, error);
    }
}

// Whether a call raises `error` and does nothing else, one the GL performs at
// once also while a display list is compiled.
static bool gl_error_raisable(GLenum error) {
    switch (error) {
    case 0x0500:
    case 0x0501:
    case 0x0502:
    case 0x0503:
        return true;
    case 0x0504: {  // by a pop of the client stack, only when it is empty
        OwnCall get_integer(__GLS_OP_glGetIntegerv);
        GLint depth = 0;
        __gls_checked_capture_glGetIntegerv(CLIENT_DEPTH, &depth);
        return depth == 0;
    }
    default:
        return false;
    }
}

// Raises `error` again, one gl_error_raisable accepts.
static void gl_error_raise(GLenum error) {
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
    case 0x0504:  // GL_STACK_UNDERFLOW, the client stack empty
        __gls_checked_capture_glPopClientAttrib();
        break;
    default:
        break;
    }
}

// Whether the GL keeps several error flags, asked once per record with no
// error pending: two errors of different kinds are made and read back, and
// a GL with one flag gives only the first. Without own calls the answer is
// that of most GLs, one.
static int error_flags(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    if (record->error_flags == 0 && own_calls_allowed(ctx)) {
        {
            OwnCall get_integer(__GLS_OP_glGetIntegerv), gen_lists(__GLS_OP_glGenLists);
            GLint value = 0;
            __gls_checked_capture_glGetIntegerv(0, &value);
            __gls_checked_capture_glGenLists(-1);
        }
        GLErrors made;
        gl_errors_take(&made);
        record->error_flags = made.count > 1 ? ERROR_FLAGS_SEVERAL : ERROR_FLAGS_ONE;
    }
    return record->error_flags == ERROR_FLAGS_SEVERAL ? ERROR_FLAGS_SEVERAL : ERROR_FLAGS_ONE;
}

// Errors made after those the record keeps, read away from the GL: kept
// after them by a GL with several error flags; one with a single flag would
// have dropped them, its flag taken.
static void keep_later(DebugThreadContext *ctx, const GLErrors *later) {
    if (later->count == 0 || error_flags(ctx) == ERROR_FLAGS_ONE) return;
    GLContextRecord *record = ctx->gl_context;
    for (int k = 0; k < later->count; ++k) {
        if (!has_code(record->error_kept, record->errors_kept, later->codes[k]) &&
            record->errors_kept < GLErrors::KEPT) {
            record->error_kept[record->errors_kept++] = later->codes[k];
        }
    }
}

static void keep(GLContextRecord *record, const GLErrors *errors) {
    for (int k = 0; k < errors->count; ++k) record->error_kept[k] = errors->codes[k];
    record->errors_kept = (uint8_t)errors->count;
    errors_kept_anywhere.store(true, std::memory_order_release);
}

bool gl_errors_restore(DebugThreadContext *ctx, const GLErrors *errors) {
    GLContextRecord *record = ctx->gl_context;
    if (record->errors_kept) {
        keep_later(ctx, errors);
        return false;
    }
    bool raisable = true;
    for (int k = 0; k < errors->count && raisable; ++k) raisable = gl_error_raisable(errors->codes[k]);
    // One that cannot be raised keeps them all: raising some would give
    // them back in another order than a GL with several flags read out.
    if (!raisable) {
        keep(record, errors);
        return false;
    }
    for (int k = 0; k < errors->count; ++k) gl_error_raise(errors->codes[k]);
    return true;
}

// Whether the GL refused the application's glGetError that answered 0, being
// between glBegin and glEnd. The record follows the calls as issued: a
// glBegin the GL refused, or compiled into a list and not performed (a
// GL_COMPILE list, and Mesa's GL_COMPILE_AND_EXECUTE), did not put the GL
// there. The GL tells by a query of a value never 0: refused, it leaves the
// value unwritten and makes the GL_INVALID_OPERATION the refused glGetError
// made already, which one error flag or several hold once.
static bool get_error_refused(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    if (record->in_begin_end != 1 || record->handle == 0 || current_gl_handle(ctx) != record->handle) {
        return false;
    }
    OwnCall get_integer(__GLS_OP_glGetIntegerv);
    GLint size = 0;
    __gls_checked_capture_glGetIntegerv(MAX_TEXTURE_SIZE, &size);
    return size == 0;
}

GLenum gl_errors_answer(DebugThreadContext *ctx, GLenum read) {
    GLContextRecord *record = ctx->gl_context;
    // A refused glGetError answers 0 and leaves the kept errors for a call
    // that can take them. The GL_INVALID_OPERATION it made is one made while
    // they are kept: the error check after glEnd, or the next glGetError,
    // reads it and keeps it after them or drops it, as the GL's flags would.
    // A GL that answered an error did not refuse the call.
    if (read == 0 && get_error_refused(ctx)) return 0;
    GLErrors later = {{}, 0};
    if (read != 0) {
        later.codes[later.count++] = read;
        if (own_calls_allowed(ctx)) {
            GLErrors rest;
            gl_errors_take(&rest);
            for (int k = 0; k < rest.count; ++k) add_code(&later, rest.codes[k]);
        }
    }
    keep_later(ctx, &later);
    GLenum first = record->error_kept[0];
    for (int k = 1; k < record->errors_kept; ++k) record->error_kept[k - 1] = record->error_kept[k];
    --record->errors_kept;
    return first;
}

struct Donors {
    GLContextRecord *to;
    GLContextRecord *from[8];
    int count;
};

static void find_donor(void *block, void *arg) {
    GLContextRecord *record = (GLContextRecord *)block;
    Donors *donors = (Donors *)arg;
    if (record != donors->to && record->handle == donors->to->handle && record->errors_kept &&
        donors->count < 8) {
        donors->from[donors->count++] = record;
    }
}

// The context is current here, so no other thread uses its records of it.
void gl_errors_adopt(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    if (!errors_kept_anywhere.load(std::memory_order_acquire) || record->handle == 0) return;
    Donors donors = {record, {}, 0};
    mmaps_for_each_live(BLOCK_GL_CONTEXT, find_donor, &donors);
    if (donors.count == 0) return;
    // The errors made since any of them were kept come after them all.
    KeepGLErrors since(ctx);
    for (int d = 0; d < donors.count; ++d) {
        GLContextRecord *from = donors.from[d];
        GLErrors kept = {{}, 0};
        for (int k = 0; k < from->errors_kept; ++k) add_code(&kept, from->error_kept[k]);
        from->errors_kept = 0;
        if (record->errors_kept) {
            keep_later(ctx, &kept);
        } else {
            keep(record, &kept);
        }
    }
}
