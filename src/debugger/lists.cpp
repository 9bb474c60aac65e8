// Display-list bookkeeping: a table of ListInfoRecords that mirrors the
// application's display lists (state, calls recorded while compiling, times
// called, the stretch of list\calls holding the calls' text), and the
// warning for a call of a list that was never compiled or was deleted.
//
// Each GL context has a table of its own, in a block of its own ("list\info\"
// and the context's number); contexts that share display lists through
// wglShareLists share one table: that of the first of them attached, whose
// record (the table's owner) holds the counts and the array. Lists belong to
// the GL context, not to a thread: the records that other threads keep of
// the same context, or of the contexts sharing with it, use the same table,
// and the hooks take one lock around every table. A context's own record
// mirrors the owner's counts and array for the windows. The records of no GL
// context keep no lists.
#include <string.h>

#include <vector>

#include "analyses.h"
#include "analyses_attach.h"

// Room reserved ahead for the names glGenLists hands out; more is made as
// the lists are compiled. A glGenLists of a billion names costs no more.
enum { RESERVE_AHEAD = 4096, FIRST_ROOM = 16 };

// ------------------------------------------------------------ sharing

// Which contexts share display lists: each context named in a successful
// wglShareLists with the first context of its group. Process-wide, as
// context handles are; small.
struct ShareEntry {
    uintptr_t handle, root;
};
static std::vector<ShareEntry> shares;
static SRWLOCK shares_lock = SRWLOCK_INIT;

static uintptr_t share_root(uintptr_t handle) {
    for (const ShareEntry &e : shares) {
        if (e.handle == handle) return e.root;
    }
    return handle;
}

// The handles sharing lists with `handle`, itself left out.
static std::vector<uintptr_t> share_group(uintptr_t handle) {
    std::vector<uintptr_t> group;
    AcquireSRWLockShared(&shares_lock);
    uintptr_t root = share_root(handle);
    if (root != handle) group.push_back(root);
    for (const ShareEntry &e : shares) {
        if (e.root == root && e.handle != handle) group.push_back(e.handle);
    }
    ReleaseSRWLockShared(&shares_lock);
    return group;
}

// Every table is read and changed under this lock: the threads whose
// contexts share one change it at once, and growing it moves its array.
static SRWLOCK tables_lock = SRWLOCK_INIT;

struct TablesHeld {
    TablesHeld() { AcquireSRWLockExclusive(&tables_lock); }
    ~TablesHeld() { ReleaseSRWLockExclusive(&tables_lock); }
};

GLContextRecord *lists_table(GLContextRecord *record) {
    return record->list_owner ? record->list_owner : record;
}

// The record's own view of its table, for the windows.
static void mirror_table(GLContextRecord *record) {
    GLContextRecord *table = lists_table(record);
    if (table == record) return;
    record->list_count = table->list_count;
    record->free_list_count = table->free_list_count;
    record->lists = table->lists;
}

// The live records, of any thread, of the contexts `handles` names.
struct RecordSearch {
    const std::vector<uintptr_t> *handles;
    const GLContextRecord *besides;
    std::vector<GLContextRecord *> found;
};

static void match_record(void *block, void *arg) {
    RecordSearch *search = (RecordSearch *)arg;
    GLContextRecord *record = (GLContextRecord *)block;
    if (record == search->besides || !record->is_real_context) return;
    for (uintptr_t handle : *search->handles) {
        if (record->handle == handle) search->found.push_back(record);
    }
}

static std::vector<GLContextRecord *> records_of(const std::vector<uintptr_t> &handles,
                                                 const GLContextRecord *besides = nullptr) {
    RecordSearch search = {&handles, besides, {}};
    mmaps_for_each_live(BLOCK_GL_CONTEXT, match_record, &search);
    return search.found;
}

// The table that the records of `handles` use already, or null.
static GLContextRecord *table_in_use(const std::vector<uintptr_t> &handles, const GLContextRecord *besides) {
    for (GLContextRecord *found : records_of(handles, besides)) {
        if (found->list_owner) return lists_table(found);
    }
    return nullptr;
}

struct Retarget {
    GLContextRecord *to;
    std::vector<GLContextRecord *> given_up;
};

static void retarget_record(void *block, void *arg) {
    GLContextRecord *record = (GLContextRecord *)block;
    Retarget *move = (Retarget *)arg;
    if (!record->list_owner) return;
    for (GLContextRecord *table : move->given_up) {
        if (lists_table(record) != table) continue;
        record->list_owner = move->to;
        mirror_table(record);
        return;
    }
}

void lists_share(DebugThreadContext *, uintptr_t a, uintptr_t b) {
    if (!a || !b || a == b) return;
    AcquireSRWLockExclusive(&shares_lock);
    uintptr_t root = share_root(a);
    bool known = false;
    for (ShareEntry &e : shares) {
        if (e.handle == b) {
            e.root = root;
            known = true;
        }
    }
    if (!known) shares.push_back({b, root});
    ReleaseSRWLockExclusive(&shares_lock);
    // The GL shares only with a context that has no lists of its own yet,
    // so b's table, if any thread has one, is empty and is given up by
    // every record using it.
    TablesHeld held;
    Retarget move = {table_in_use({a}, nullptr), {}};
    if (!move.to) return;
    for (GLContextRecord *rb : records_of({b})) {
        if (rb->list_owner && lists_table(rb) != move.to) move.given_up.push_back(lists_table(rb));
    }
    mmaps_for_each_live(BLOCK_GL_CONTEXT, retarget_record, &move);
}

void lists_forget(uintptr_t handle) {
    AcquireSRWLockExclusive(&shares_lock);
    uintptr_t new_root = 0;
    for (size_t i = 0; i < shares.size();) {
        if (shares[i].handle == handle) {
            shares.erase(shares.begin() + (ptrdiff_t)i);
            continue;
        }
        // The group of a deleted first context goes on under another.
        if (shares[i].root == handle) {
            if (!new_root) new_root = shares[i].handle;
            shares[i].root = new_root;
        }
        ++i;
    }
    for (size_t i = 0; i < shares.size();) {
        if (shares[i].handle == shares[i].root) {
            shares.erase(shares.begin() + (ptrdiff_t)i);
        } else {
            ++i;
        }
    }
    ReleaseSRWLockExclusive(&shares_lock);
}

// ------------------------------------------------------------ the table

void lists_attach(DebugThreadContext *ctx, GLContextRecord *record) {
    TablesHeld held;
    if (!record->list_owner) {
        std::vector<uintptr_t> group = share_group(record->handle);
        group.push_back(record->handle);
        GLContextRecord *table = table_in_use(group, record);
        record->list_owner = table ? table : record;
    }
    GLContextRecord *table = lists_table(record);
    if (table == record && !record->list_info_name[0]) {
        char base[PATH_CHARS];
        mmaps_path_list_info(ctx->temp_dir, base);
        _snprintf_s(record->list_info_name, PATH_CHARS, _TRUNCATE, "%s\\%u", base, record->number);
    }
    ListInfoRecord *lists = mmaps_open_list_info(table->list_info_name, table->list_count);
    if (!lists) lists = mmaps_create_list_info(table->list_info_name, table->list_count);
    if (!lists) ExitProcess(1);
    table->lists = lists;
    mirror_table(record);
}

// Makes room for `count` records in the table; the compiling records of
// every context using it follow the array when it moves.
struct Rebase {
    GLContextRecord *table;
    uintptr_t from;
    ListInfoRecord *to;
};

static void rebase_current_list(void *block, void *arg) {
    GLContextRecord *record = (GLContextRecord *)block;
    Rebase *move = (Rebase *)arg;
    if (lists_table(record) != move->table) return;
    if (record->list_owner && record != move->table) record->lists = move->to;
    if (!record->current_list) return;
    size_t index = ((uintptr_t)record->current_list - move->from) / sizeof(ListInfoRecord);
    record->current_list = move->to + index;
}

static void table_room(GLContextRecord *table, uint32_t count) {
    uint32_t room = FIRST_ROOM;
    while (room < count && room < 0x80000000u) room *= 2;
    if (room < count) room = count;
    uintptr_t from = (uintptr_t)table->lists;
    ListInfoRecord *lists = mmaps_open_list_info(table->list_info_name, room);
    if (!lists) ExitProcess(1);
    if ((uintptr_t)lists != from) {
        Rebase move = {table, from, lists};
        mmaps_for_each(BLOCK_GL_CONTEXT, rebase_current_list, &move);
    }
    table->lists = lists;
}

// The first live record of list `id`, or null.
static ListInfoRecord *live_record(GLContextRecord *table, uint32_t id) {
    for (uint32_t i = 0; i < table->list_count; ++i) {
        ListInfoRecord *r = &table->lists[i];
        if (r->list_id == id && r->state != LIST_DELETED) return r;
    }
    return nullptr;
}

// ------------------------------------------------------------ the checks

void hook_gen_lists(DebugThreadContext *ctx, GLsizei range) {
    GLContextRecord *record = ctx->gl_context;
    if (record->handle == 0 || record->compiling_list == 1 || range <= 0) return;
    TablesHeld held;
    GLContextRecord *table = lists_table(record);
    uint32_t free_count = table->free_list_count + (uint32_t)range;
    table->free_list_count = free_count < table->free_list_count ? 0xFFFFFFFFu : free_count;
    uint32_t ahead = table->free_list_count < RESERVE_AHEAD ? table->free_list_count : (uint32_t)RESERVE_AHEAD;
    table_room(table, table->list_count + ahead);
    mirror_table(record);
}

int list_open(DebugThreadContext *ctx, GLuint list) {
    GLContextRecord *record = ctx->gl_context;
    if (record->handle == 0 || record->current_list) return 0;
    list_calls_open(ctx);
    TablesHeld held;
    GLContextRecord *table = lists_table(record);
    ListInfoRecord *r = live_record(table, list);
    if (!r) {
        if (table->free_list_count > 0) --table->free_list_count;
        table_room(table, table->list_count + 1);
        r = &table->lists[table->list_count++];
    }
    r->list_id = list;
    r->state = LIST_COMPILING;
    r->recorded_calls = 0;
    // The text written so far, however the file fares: its length is the
    // record's, read without the file.
    uint64_t start = record->list_calls.length.load(std::memory_order_relaxed);
    r->start_offset.store(start, std::memory_order_relaxed);
    r->end_offset.store(start, std::memory_order_release);
    r->times_called = 0;
    r->compiled_on = ctx->thread_id;
    record->current_list = r;
    mirror_table(record);
    return 1;
}

int list_close(DebugThreadContext *ctx) {
    GLContextRecord *record = ctx->gl_context;
    if (!record->current_list) return 0;
    TablesHeld held;
    ListInfoRecord *r = record->current_list;
    // The record may have been deleted while compiling: the GL makes the
    // list at glEndList all the same.
    r->end_offset.store(record->list_calls.length.load(std::memory_order_relaxed), std::memory_order_release);
    r->state = LIST_COMPILED;
    record->current_list = nullptr;
    return 1;
}

void list_count_call(GLContextRecord *record) {
    // Under the lock: another thread whose context shares the table may
    // move its array meanwhile.
    TablesHeld held;
    ListInfoRecord *r = record->current_list;
    if (!r) return;
    ++r->recorded_calls;
    r->end_offset.store(record->list_calls.length.load(std::memory_order_relaxed), std::memory_order_release);
}

void hook_delete_lists(DebugThreadContext *ctx, GLuint list, GLsizei range) {
    GLContextRecord *record = ctx->gl_context;
    if (record->handle == 0 || range <= 0) return;
    TablesHeld held;
    GLContextRecord *table = lists_table(record);
    for (uint32_t i = 0; i < table->list_count; ++i) {
        ListInfoRecord *r = &table->lists[i];
        if (r->state != LIST_DELETED && r->list_id - list < (uint32_t)range) r->state = LIST_DELETED;
    }
}

// Counts a call of list `id`; false when the table has no live record of it
// (and is not empty). The caller holds the tables' lock.
static bool count_list_call(GLContextRecord *table, GLuint id) {
    if (table->list_count == 0) return true;
    ListInfoRecord *r = live_record(table, id);
    if (r) ++r->times_called;
    return r != nullptr;
}

void check_list_valid(DebugThreadContext *ctx, GLuint id) {
    bool valid;
    {
        TablesHeld held;
        valid = count_list_call(lists_table(ctx->gl_context), id);
    }
    if (!valid) problem_warning(ctx, "Display list not valid.");
}

void hook_call_list(DebugThreadContext *ctx, GLuint list) {
    if (ctx->gl_context->handle != 0) check_list_valid(ctx, list);
}

// The n-th name of a glCallLists array, before the list base is added; 0
// with `known` false for a type that names no lists.
static uint32_t list_name(GLenum type, const void *lists, GLsizei i, bool *known) {
    const unsigned char *b = (const unsigned char *)lists;
    *known = true;
    switch (type) {
    case 0x1400: return (uint32_t)(int32_t)((const signed char *)lists)[i];  // GL_BYTE
    case 0x1401: return b[i];                                                // GL_UNSIGNED_BYTE
    case 0x1402: return (uint32_t)(int32_t)((const GLshort *)lists)[i];     // GL_SHORT
    case 0x1403: return ((const GLushort *)lists)[i];                       // GL_UNSIGNED_SHORT
    case 0x1404: return (uint32_t)((const GLint *)lists)[i];                // GL_INT
    case 0x1405: return ((const GLuint *)lists)[i];                         // GL_UNSIGNED_INT
    case 0x1406: {                                                          // GL_FLOAT
        // Truncated toward zero; a value no name can have (NaN, out of
        // range) is taken as 0.
        float f = ((const GLfloat *)lists)[i];
        if (f > -2147483649.0f && f < 0.0f) return (uint32_t)(int32_t)f;
        if (f >= 0.0f && f < 4294967296.0f) return (uint32_t)f;
        return 0;
    }
    case 0x1407: return 256u * b[2 * i] + b[2 * i + 1];  // GL_2_BYTES
    case 0x1408: return 65536u * b[3 * i] + 256u * b[3 * i + 1] + b[3 * i + 2];  // GL_3_BYTES
    case 0x1409:  // GL_4_BYTES
        return 16777216u * b[4 * i] + 65536u * b[4 * i + 1] + 256u * b[4 * i + 2] + b[4 * i + 3];
    default:
        *known = false;
        return 0;
    }
}

void hook_call_lists(DebugThreadContext *ctx, GLsizei n, GLenum type, const void *lists) {
    GLContextRecord *record = ctx->gl_context;
    if (record->handle == 0 || !lists) return;
    for (GLsizei i = 0; i < n; ++i) {
        bool known;
        uint32_t name = list_name(type, lists, i, &known);
        if (!known) return;
        check_list_valid(ctx, name + record->list_base);
    }
}
