// The block registry, the name builders and the debugger's records.
#include "records.h"

#include <initializer_list>
#include <new>
#include <string.h>

#include "debugger_tables.h"
#include "analyses_attach.h"
#include "ring.h"
#include "thread_context.h"

// The registry is shared by every application thread and interface thread of
// the process: its lock serialises two threads' first calls and lets the quit
// handler walk it while another thread adds to it.
static BlockEntry *registry;
static uint32_t registry_count, registry_capacity;
static SRWLOCK registry_lock = SRWLOCK_INIT;

// A retired entry's name: the name no name builder makes, so lookups pass it.
static const char kRetiredMark = '|';

void *mmaps_alloc(size_t size) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size); }

void *mmaps_realloc(void *block, size_t size) {
    return HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, block, size);
}

void mmaps_free(void *block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

void mmaps_registry_reset(void) {
    AcquireSRWLockExclusive(&registry_lock);
    registry_count = 0;
    ReleaseSRWLockExclusive(&registry_lock);
}

void mmaps_free_all(void) {
    AcquireSRWLockExclusive(&registry_lock);
    for (uint32_t i = 0; i < registry_count; ++i) {
        if (registry[i].kind == BLOCK_GL_CONTEXT) mmaps_free(((GLContextRecord *)registry[i].block)->scan_scratch);
        mmaps_free(registry[i].block);
    }
    mmaps_free(registry);
    registry = nullptr;
    registry_count = registry_capacity = 0;
    ReleaseSRWLockExclusive(&registry_lock);
}

int mmaps_register(uint32_t kind, const char *name, uint32_t count, void *block) {
    AcquireSRWLockExclusive(&registry_lock);
    if (registry_count == registry_capacity) {
        uint32_t capacity = registry_capacity ? registry_capacity * 2 : 32;
        void *grown = registry ? mmaps_realloc(registry, capacity * sizeof(BlockEntry))
                               : mmaps_alloc(capacity * sizeof(BlockEntry));
        if (!grown) {
            ReleaseSRWLockExclusive(&registry_lock);
            return 0;
        }
        registry = (BlockEntry *)grown;
        registry_capacity = capacity;
    }
    BlockEntry *entry = &registry[registry_count++];
    entry->kind = kind;
    lstrcpynA(entry->name, name, PATH_CHARS);
    entry->count = count;
    entry->block = block;
    ReleaseSRWLockExclusive(&registry_lock);
    return 1;
}

// The entry named `name`; the caller holds the lock.
static BlockEntry *find_entry(const char *name) {
    for (uint32_t i = 0; i < registry_count; ++i) {
        if (strcmp(registry[i].name, name) == 0) return &registry[i];
    }
    return nullptr;
}

void *mmaps_find(const char *name) {
    AcquireSRWLockShared(&registry_lock);
    BlockEntry *entry = find_entry(name);
    void *block = entry ? entry->block : nullptr;
    ReleaseSRWLockShared(&registry_lock);
    return block;
}

// Gives an entry the retired mark after its name (in place of its first
// character when the name has no room left).
static void mark_retired(BlockEntry &entry) {
    size_t n = strlen(entry.name);
    if (n + 1 < PATH_CHARS) {
        entry.name[n] = kRetiredMark;
        entry.name[n + 1] = 0;
    } else {
        entry.name[0] = kRetiredMark;
    }
}

static bool entry_retired(const BlockEntry &entry) {
    size_t n = strlen(entry.name);
    return n > 0 && (entry.name[n - 1] == kRetiredMark || entry.name[0] == kRetiredMark);
}

int mmaps_retire(const char *name) {
    AcquireSRWLockExclusive(&registry_lock);
    BlockEntry *entry = find_entry(name);
    if (entry) mark_retired(*entry);
    ReleaseSRWLockExclusive(&registry_lock);
    return entry != nullptr;
}

int mmaps_retire_block(const void *block) {
    AcquireSRWLockExclusive(&registry_lock);
    int retired = 0;
    for (uint32_t i = 0; i < registry_count; ++i) {
        if (registry[i].block != block || entry_retired(registry[i])) continue;
        mark_retired(registry[i]);
        retired = 1;
    }
    ReleaseSRWLockExclusive(&registry_lock);
    return retired;
}

int mmaps_was_retired(const char *name) {
    char retired[PATH_CHARS + 1];
    lstrcpynA(retired, name, PATH_CHARS);
    size_t n = strlen(retired);
    retired[n] = kRetiredMark;
    retired[n + 1] = 0;
    AcquireSRWLockShared(&registry_lock);
    BlockEntry *entry = find_entry(retired);
    ReleaseSRWLockShared(&registry_lock);
    return entry != nullptr;
}

static void for_each(uint32_t kind, bool live_only, void (*visit)(void *block, void *arg), void *arg) {
    // Visited from a copy: a visit may register blocks of its own.
    AcquireSRWLockShared(&registry_lock);
    uint32_t n = 0;
    void **blocks = (void **)mmaps_alloc((registry_count + 1) * sizeof(void *));
    for (uint32_t i = 0; blocks && i < registry_count; ++i) {
        if (registry[i].kind == kind && !(live_only && entry_retired(registry[i]))) blocks[n++] = registry[i].block;
    }
    ReleaseSRWLockShared(&registry_lock);
    for (uint32_t i = 0; i < n; ++i) visit(blocks[i], arg);
    mmaps_free(blocks);
}

void mmaps_for_each(uint32_t kind, void (*visit)(void *block, void *arg), void *arg) {
    for_each(kind, false, visit, arg);
}

void mmaps_for_each_live(uint32_t kind, void (*visit)(void *block, void *arg), void *arg) {
    for_each(kind, true, visit, arg);
}

// ------------------------------------------------------------ name builders

void mmaps_path_master(const char *temp_dir, char *out) {
    path_print(out, "%s\\master", temp_dir);
}

void mmaps_path_process(const char *temp_dir, uint32_t thread_id, char *out) {
    path_print(out, "%s\\per_proc\\%u", temp_dir, thread_id);
}

// Handles are printed as signed numbers of their full width.
void mmaps_path_per_gl(const char *temp_dir, uintptr_t handle, char *out) {
    if (handle == 0) {
        path_print(out, "%s\\per_gl\\null", temp_dir);
    } else {
        path_print(out, "%s\\per_gl\\%lld", temp_dir, (long long)(intptr_t)handle);
    }
}

void mmaps_path_history(const char *temp_dir, uintptr_t handle, uint32_t reuse_number, char *out) {
    if (reuse_number == 0) {
        path_print(out, "%s\\history\\%lld.gls", temp_dir, (long long)(intptr_t)handle);
    } else {
        path_print(out, "%s\\history\\%lld-%u.gls", temp_dir, (long long)(intptr_t)handle,
                   reuse_number);
    }
}

void mmaps_path_list_info(const char *temp_dir, char *out) {
    path_print(out, "%s\\list\\info", temp_dir);
}

void mmaps_path_list_calls(const char *temp_dir, char *out) {
    path_print(out, "%s\\list\\calls", temp_dir);
}

// ------------------------------------------------------------ create, open

template <typename Record>
static Record *create_block(uint32_t kind, const char *name, uint32_t count) {
    void *block = mmaps_alloc(sizeof(Record) * (count ? count : 1));
    if (!block || !mmaps_register(kind, name, count ? count : 1, block)) {
        mmaps_free(block);
        fatal_error_box("mmaps", __LINE__, "Out of memory.");
        return nullptr;
    }
    Record *records = (Record *)block;
    for (uint32_t i = 0; i < (count ? count : 1); ++i) new (&records[i]) Record();
    return records;
}

MasterRecord *mmaps_create_master(const char *name) {
    return create_block<MasterRecord>(BLOCK_MASTER, name, 1);
}

ProcessRecord *mmaps_create_process(const char *name) {
    return create_block<ProcessRecord>(BLOCK_PROCESS, name, 1);
}

// The floats an item's slot holds of each set of values.
static size_t item_values(const StateItemDesc &item) {
    return item.value_count < 0 ? 0 : item.value_count > STATE_ITEM_VALUES ? STATE_ITEM_VALUES : item.value_count;
}

// A record and its value store in one block: for each item its defaults,
// current values and snapshot, each as many floats as the item holds.
GLContextRecord *mmaps_create_per_gl(const char *name) {
    size_t values = 0;
    for (const StateItemDesc &item : state_item_table) values += 3 * item_values(item);
    size_t store_offset = (sizeof(GLContextRecord) + alignof(float) - 1) / alignof(float) * alignof(float);
    void *block = mmaps_alloc(store_offset + values * sizeof(float));
    if (!block || !mmaps_register(BLOCK_GL_CONTEXT, name, 1, block)) {
        mmaps_free(block);
        fatal_error_box("mmaps", __LINE__, "Out of memory.");
        return nullptr;
    }
    GLContextRecord *record = new (block) GLContextRecord();
    float *store = (float *)((char *)block + store_offset);
    for (int i = 0; i < STATE_ITEMS; ++i) {
        const size_t n = item_values(state_item_table[i]);
        StateSlot &slot = record->state_slots[i];
        for (StateValues *set : {&slot.default_values, &slot.current_values, &slot.snapshot_values}) {
            *set = {store, store + n};
            store += n;
        }
    }
    return record;
}

float *gl_record_scan_scratch(GLContextRecord *record, size_t values) {
    if (record->scan_scratch_values >= values) return record->scan_scratch;
    // Grown to the next power of two: a map that grows a little at a time
    // does not make the scratch anew at every scan.
    size_t capacity = 1024;
    while (capacity < values) capacity *= 2;
    float *grown = (float *)mmaps_alloc(capacity * sizeof(float));
    if (!grown) return nullptr;
    mmaps_free(record->scan_scratch);
    record->scan_scratch = grown;
    record->scan_scratch_values = capacity;
    return grown;
}

ListInfoRecord *mmaps_create_list_info(const char *name, uint32_t count) {
    return create_block<ListInfoRecord>(BLOCK_LIST_INFO, name, count);
}

MasterRecord *mmaps_open_master(const char *name) { return (MasterRecord *)mmaps_find(name); }
ProcessRecord *mmaps_open_process(const char *name) { return (ProcessRecord *)mmaps_find(name); }
GLContextRecord *mmaps_open_per_gl(const char *name) { return (GLContextRecord *)mmaps_find(name); }

ListInfoRecord *mmaps_open_list_info(const char *name, uint32_t count) {
    if (count == 0) count = 1;
    AcquireSRWLockExclusive(&registry_lock);
    BlockEntry *entry = find_entry(name);
    ListInfoRecord *block = entry ? (ListInfoRecord *)entry->block : nullptr;
    if (entry && entry->count < count) {
        void *grown = mmaps_realloc(entry->block, count * sizeof(ListInfoRecord));
        if (grown) {
            entry->block = grown;
            entry->count = count;
        }
        block = (ListInfoRecord *)grown;
    }
    ReleaseSRWLockExclusive(&registry_lock);
    if (entry && !block) fatal_error_box("mmaps", __LINE__, "Out of memory.");
    return block;
}

MasterRecord *master_create(const char *temp_dir, uint32_t creator_thread_id) {
    char name[PATH_CHARS];
    mmaps_path_master(temp_dir, name);
    MasterRecord *master = mmaps_create_master(name);
    if (!master) ExitProcess(1);
    master->creator_thread_id = creator_thread_id;
    for (int id = 0; id < GL_COMMAND_IDS; ++id) {
        lstrcpynA(master->gl_names[id], command_name_table[id], COMMAND_NAME_CHARS);
        master->command_opcodes[id] = command_opcode_table[id];
    }
    for (int i = 0; i < GLU_COUNT; ++i) {
        lstrcpynA(master->glu_names[i], command_name_table[GLU_ID_BASE + i], COMMAND_NAME_CHARS);
    }
    for (int i = 0; i < GDI_COUNT; ++i) {
        lstrcpynA(master->gdi_names[i], command_name_table[GDI_ID_BASE + i], COMMAND_NAME_CHARS);
    }
    for (int i = 0; i < WGL_COUNT; ++i) {
        lstrcpynA(master->wgl_names[i], command_name_table[WGL_ID_BASE + i], COMMAND_NAME_CHARS);
    }
    master_fill_tables(master);
    master->next_gl_context_number = 1;
    master->thread_count = 0;
    for (uint32_t &slot : master->threads) slot = 0xFFFFFFFFu;
    master->gl_context_count = 0;
    for (GLContextEntry &entry : master->gl_contexts) {
        entry.number = 0xFFFFFFFFu;
        entry.handle = 0;
        entry.thread_id = 0xFFFFFFFFu;
    }
    return master;
}

void process_record_init(ProcessRecord *record, uint32_t thread_id) {
    record->thread_id = thread_id;
    for (int id = 0; id < GL_COMMAND_IDS; ++id) {
        PerCommandRecord &command = record->commands[id];
        command.calls = 0;
        command.break_on.store(id == ID_glFlush, std::memory_order_relaxed);
        command.trace.store(1, std::memory_order_relaxed);
        command.skip.store(0, std::memory_order_relaxed);
    }
    record->front_buffer_state = 1;
    record->front_buffer_request = 0;
    record->saved_read_buffer = 0x0404;  // GL_FRONT
    record->saved_draw_buffer = 0x0404;
    record->run_state.store(RUN_STATE_HALTED, std::memory_order_release);
    ring_init(&record->ui_commands);
}

void process_counts_clear(ProcessRecord *record, uint32_t code) {
    if (code == CMD_CLEAR_CALL_COUNTS) {
        for (PerCommandRecord &command : record->commands) command.calls = 0;
        memset(record->glu_call_counts, 0, sizeof record->glu_call_counts);
        memset(record->wgl_call_counts, 0, sizeof record->wgl_call_counts);
    } else if (code == CMD_CLEAR_PRIMITIVE_COUNTS) {
        // Points, lines, line loops and strips, triangles, fans and strips,
        // quads, quad strips and polygons; the vertex sums stay.
        static const int shown[] = {0, 1, 2, 3, 7, 8, 9, 12, 13, 15};
        for (int counter : shown) record->primitive_counts[counter] = 0;
    }
}

const char *value_name_lookup(uint32_t value, const EnumerantRow *rows, uint32_t count, char *out) {
    for (uint32_t i = 0; i < count; ++i) {
        if (rows[i].value == value) {
            lstrcpynA(out, rows[i].name, COMMAND_NAME_CHARS);
            return out;
        }
    }
    _snprintf_s(out, COMMAND_NAME_CHARS, _TRUNCATE, "0x%.*X", 4, value);
    return out;
}

// A row that names no enumerant value: an attribute mask bit (or all of
// them), or a boolean.
static bool names_no_enumerant(const char *name) {
    size_t n = strlen(name);
    auto ends_with = [&](const char *tail) {
        size_t m = strlen(tail);
        return n >= m && strcmp(name + n - m, tail) == 0;
    };
    return ends_with("_BIT") || ends_with("_ATTRIB_BITS") || strcmp(name, "GL_FALSE") == 0 ||
           strcmp(name, "GL_TRUE") == 0;
}

const char *enumerant_name_lookup(uint32_t value, const EnumerantRow *rows, uint32_t count, char *out) {
    for (uint32_t i = 0; i < count; ++i) {
        if (rows[i].value == value && !names_no_enumerant(rows[i].name)) {
            lstrcpynA(out, rows[i].name, COMMAND_NAME_CHARS);
            return out;
        }
    }
    return value_name_lookup(value, rows, count, out);
}
