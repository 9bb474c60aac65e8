// The debugger's records: the named blocks of each application thread (its
// master record, its process record with the command ring from the interface,
// one record per GL context and the display-list information) and the
// registry that finds a block by its path-like name. Every block lives in the
// process heap, cleared when made, until the library is unloaded.
//
// The application thread and its interface thread share the process record:
// the interface writes the switches and selections and posts commands; the
// application thread takes the commands and keeps the run state. Those shared
// words are atomics (release on write, acquire on read); everything else in a
// record is touched by one thread only, but for the display-list tables: the
// application threads whose contexts share lists share a table, under the
// lock of lists.cpp.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <atomic>
#include <iterator>

#include "debugger_ids.h"
#include "ring.h"

struct DebugThreadContext;

enum BlockKind : uint32_t {
    BLOCK_THREAD_CONTEXT = 1,
    BLOCK_MASTER = 2,
    BLOCK_PROCESS = 3,
    BLOCK_GL_CONTEXT = 4,
    BLOCK_LIST_INFO = 5,
};

enum {
    // Room for every path and block name the debugger makes, the directory
    // of a TEMP far longer than the platform's 260 characters included.
    PATH_CHARS = 1024,
    // A temporary directory keeps this much of PATH_CHARS free for the
    // longest name made in it (history\<handle>-<number>.gls).
    PATH_SUFFIX_CHARS = 64,
    COMMAND_NAME_CHARS = 256,
    MESSAGE_TEXT_CHARS = 1536,
    CALL_TEXT_CHARS = 10244,
    ENUMERANT_ROWS = 1136,
    MASTER_THREAD_SLOTS = 10,
    MASTER_GL_CONTEXT_SLOTS = 32,
    PRIMITIVE_COUNTERS = 16,
};

enum RunState : uint32_t { RUN_STATE_HALTED = 1, RUN_STATE_RUNNING = 2 };

enum ListState : uint32_t { LIST_DELETED = 1, LIST_COMPILING = 2, LIST_COMPILED = 3 };

struct EnumerantRow {
    uint32_t value;
    char name[COMMAND_NAME_CHARS];
};

// The OpenGL state the debugger scans: one row per state item (state.cpp).
// An item holds at most STATE_ITEM_VALUES values (the generator of the
// items' table checks each count); the State windows show at most
// STATE_VALUES of one.
enum { STATE_ITEMS = 411, STATE_VALUES = 1536, STATE_ITEM_VALUES = 128 };

struct StateItemDesc {
    uint32_t fetch_kind;      // the getter (StateFetchKind)
    uint32_t getter_args[3];  // its enumerant arguments, then 0xFFFFFFFF
    uint32_t display_type;    // how the State windows show the values
    int32_t value_count;      // the values copied, compared and shown
    char name[COMMAND_NAME_CHARS];
};

// One of an item's sets of values: its value count of floats in the value
// store of the GL-context record. It serves as the float array a slot held
// before its item's count sized it: a pointer to the first value, the range
// of them all, and a position among them that moves as a pointer does.
struct StateValues {
    using iterator_category = std::forward_iterator_tag;
    using value_type = float;
    using difference_type = ptrdiff_t;
    using pointer = float *;
    using reference = float &;

    float *first;
    float *last;

    operator float *() const { return first; }
    float *begin() const { return first; }
    float *end() const { return last; }
    size_t size() const { return (size_t)(last - first); }
    float &operator*() const { return *first; }
    StateValues &operator++() {
        ++first;
        return *this;
    }
    StateValues operator+(ptrdiff_t n) const { return {first + n, last}; }
    bool operator==(const StateValues &other) const { return first == other.first; }
    bool operator!=(const StateValues &other) const { return first != other.first; }
};

// An item's values at the context's first attachment, at the last scan and
// at the user's last snapshot, each stored as floats.
struct StateSlot {
    StateValues default_values;
    StateValues current_values;
    StateValues snapshot_values;
};

struct PerCommandRecord {
    uint64_t calls;  // counted, and cleared, by the application thread alone
    std::atomic<uint8_t> break_on;
    std::atomic<uint8_t> trace;
    std::atomic<uint8_t> skip;
};

struct GLContextEntry {
    uint32_t number;  // -1 while the entry is free
    uintptr_t handle;
    uint32_t thread_id;
};

struct MasterRecord {
    uint32_t creator_thread_id;
    char gl_names[GL_COMMAND_IDS][COMMAND_NAME_CHARS];
    char glu_names[GLU_COUNT][COMMAND_NAME_CHARS];
    char gdi_names[GDI_COUNT][COMMAND_NAME_CHARS];
    char wgl_names[WGL_COUNT][COMMAND_NAME_CHARS];
    // The filled rows come first; a lookup reads only `enumerant_count` rows,
    // so the cleared rest never matches.
    EnumerantRow enumerants[ENUMERANT_ROWS];
    uint32_t enumerant_count;
    uint32_t command_opcodes[GL_COMMAND_IDS];
    StateItemDesc state_items[STATE_ITEMS];
    uint32_t next_gl_context_number;
    uint32_t thread_count;
    uint32_t threads[MASTER_THREAD_SLOTS];
    uint32_t gl_context_count;
    GLContextEntry gl_contexts[MASTER_GL_CONTEXT_SLOTS];
};

struct ListInfoRecord {
    uint32_t list_id;
    uint32_t state;
    uint32_t recorded_calls;
    uint32_t times_called;
    // The list's calls in the list\calls file: from the start offset up to
    // the end one, which follows each call while the list compiles.
    std::atomic<uint64_t> start_offset;
    std::atomic<uint64_t> end_offset;
    // The thread whose list\calls file holds the calls: contexts of several
    // threads may share a table.
    uint32_t compiled_on;
};

struct ProcessRecord {
    uint32_t thread_id;
    CommandRing ui_commands;
    PerCommandRecord commands[GL_COMMAND_IDS];
    uint64_t glu_call_counts[GLU_COUNT];
    uint64_t gdi_call_counts[GDI_COUNT];
    uint64_t wgl_call_counts[WGL_COUNT];
    uint64_t pbuffer_call_counts[PBUFFER_COUNT];
    uint64_t primitive_counts[PRIMITIVE_COUNTERS];
    uint32_t front_buffer_state;
    uint32_t front_buffer_request;
    uint32_t saved_read_buffer;
    uint32_t saved_draw_buffer;
    // The panel switches, 1 on and anything else off.
    std::atomic<uint32_t> Break_on_GL_calls;
    std::atomic<uint32_t> Break_on_SwapBuffers;
    std::atomic<uint32_t> Check_for_GL_error;
    std::atomic<uint32_t> Control_draw;
    std::atomic<uint32_t> Limit_data_dumps;
    std::atomic<uint32_t> Show_data_memory_address;
    std::atomic<uint32_t> Show_performance_hints;
    std::atomic<uint32_t> Show_possible_problems;
    std::atomic<uint32_t> History;
    std::atomic<uint32_t> Skip_GL_calls;
    std::atomic<uint32_t> run_state;
    char message_text[MESSAGE_TEXT_CHARS];
    char call_text[CALL_TEXT_CHARS];
    // The debugger context the interface serves: the application thread's,
    // replaced when a later thread that got the same id takes the record over.
    std::atomic<DebugThreadContext *> context;
};

// A file the debugger writes text to the end of through a view of it mapped
// into memory, so that writing makes no system call, and what is written is
// the system's at once: it outlives the process however that ends. Room is
// made ahead by writing blanks past the text (never by a size alone, which
// the file system would have to find room for at a write into the view),
// so a full disk is a growth that fails, not a fault in the application.
// The text's length is `length`; closing cuts the blanks after it off. A
// file left by a process that died ends in blanks after its last line:
// readers take the text up to its last line end (append_file.cpp).
struct AppendFile {
    HANDLE file;  // null while closed
    HANDLE mapping;
    char *view;        // the file from `view_at` up to `reserved`
    uint64_t view_at;
    uint64_t reserved; // the file's size: the text and the blanks after it
    DWORD error;       // why it last could not grow, in the system's code
    // Written by the file's one writer; read by the interface thread, which
    // reads the file up to it.
    std::atomic<uint64_t> length;
};

struct GLContextRecord {
    uint32_t number;
    uintptr_t handle;
    // The record's files. The application thread writes and closes them
    // with `files_busy` set; quitting, on an interface thread, waits for it
    // to clear before it ends and closes them (files_enter).
    AppendFile history;
    uint32_t list_count;
    uint32_t free_list_count;
    ListInfoRecord *lists;
    ListInfoRecord *current_list;
    AppendFile list_calls;
    std::atomic<uint32_t> files_busy;
    // The history file's state: a section begun and not ended yet, whether
    // writing stopped for good when the file could not take a command and
    // the commands written whole (history.cpp).
    uint8_t history_section;
    uint8_t history_stopped;
    uint64_t history_commands;
    // Where the open section begins in the file, and its commands.
    uint64_t history_section_start;
    uint64_t history_section_commands;
    // A command whose text is going into the file, a piece at a time, and
    // where it begins: the file is whole up to there, and is cut back there
    // when it is ended before the command's end has come.
    uint8_t history_command_open;
    uint64_t history_command_start;
    // The GL errors the error check found and raised again, not yet read by
    // the application (halt.cpp).
    uint8_t errors_raised_again;
    // The count of `error_kept`, and whether the GL keeps one error flag or
    // several, 0 until asked (own_calls.cpp).
    uint8_t errors_kept;
    uint8_t error_flags;
    uint32_t error_raised_again[8];
    uint8_t in_begin_end;
    uint8_t compiling_list;
    uint8_t dither_enabled;
    uint8_t lighting_enabled;
    uint32_t list_base;
    uint32_t primitive_mode;
    uint8_t vertex_array_enabled;
    uint64_t clear_count;
    uint64_t flushes_since_clear;
    uint64_t primitive_vertices;
    uint8_t is_real_context;
    // The history file of this record: "<handle>.gls", or "<handle>-<number>.gls"
    // for a context that got the handle of one deleted before it.
    char history_path[PATH_CHARS];
    // The record whose display-list table this context uses: itself, or the
    // first attached context of those that share lists with it, on any
    // thread (lists.cpp); the name of the table's block when it is its own.
    GLContextRecord *list_owner;
    char list_info_name[PATH_CHARS];
    // The slots' values lie in a store behind the record, in the same
    // block; the scan reads the maps and pixel maps, whose size the GL
    // decides, into scratch made when a scan first needs it and grown as
    // it needs more, freed with the record.
    StateSlot state_slots[STATE_ITEMS];
    float *scan_scratch;
    size_t scan_scratch_values;
    // The buffer configuration of the context's drawable (drawable.cpp).
    uint8_t direct_render;
    uint8_t double_buffer;
    uint8_t stereo;
    int32_t aux_buffers;
    uint32_t color_mode;
    int32_t accum_red_bits, accum_green_bits, accum_blue_bits, accum_alpha_bits;
    int32_t index_bits;
    int32_t red_bits, green_bits, blue_bits, alpha_bits;
    int32_t stencil_bits;
    int32_t depth_bits;
    // The GL errors the debugger read from the context that no call raises
    // again, in the order read, kept for the application's next glGetError
    // calls (own_calls.cpp).
    uint32_t error_kept[8];
    // The application thread whose record it is, which alone writes and
    // closes its files; set once its context is deleted, on any thread.
    uint32_t thread_id;
    std::atomic<uint8_t> retired;
};

// ------------------------------------------------------------ the registry

struct BlockEntry {
    uint32_t kind;
    char name[PATH_CHARS];
    uint32_t count;
    void *block;
};

// Heap blocks; cleared when allocated.
void *mmaps_alloc(size_t size);
void *mmaps_realloc(void *block, size_t size);
void mmaps_free(void *block);

// Empties the registry (process attach) and frees every registered block in
// registration order (unload).
void mmaps_registry_reset(void);
void mmaps_free_all(void);

// Registers a block; the registry grows as needed. 0 when memory runs out.
int mmaps_register(uint32_t kind, const char *name, uint32_t count, void *block);
// The block of the first entry named exactly `name`, whatever its kind.
void *mmaps_find(const char *name);
// Gives the entry named `name` a name no lookup builds, so the next lookup
// of `name` makes a new block. 1 when there was one.
int mmaps_retire(const char *name);
// Retires the entry of `block` as mmaps_retire does; 1 when it was not
// retired before.
int mmaps_retire_block(const void *block);
// 1 when an entry retired from `name` exists.
int mmaps_was_retired(const char *name);
// Calls `visit` for every block of `kind` in registration order; the second
// leaves the retired ones out.
void mmaps_for_each(uint32_t kind, void (*visit)(void *block, void *arg), void *arg);
void mmaps_for_each_live(uint32_t kind, void (*visit)(void *block, void *arg), void *arg);

// Name builders; each writes at most PATH_CHARS characters, the name whole
// (a name that would not fit ends the process with its full text shown).
void mmaps_path_master(const char *temp_dir, char *out);
void mmaps_path_process(const char *temp_dir, uint32_t thread_id, char *out);
void mmaps_path_per_gl(const char *temp_dir, uintptr_t handle, char *out);
// The history of a context that got the handle of one deleted before it
// is named with its `reuse_number` too (0 for none).
void mmaps_path_history(const char *temp_dir, uintptr_t handle, uint32_t reuse_number, char *out);
void mmaps_path_list_info(const char *temp_dir, char *out);
void mmaps_path_list_calls(const char *temp_dir, char *out);

MasterRecord *mmaps_create_master(const char *name);
ProcessRecord *mmaps_create_process(const char *name);
GLContextRecord *mmaps_create_per_gl(const char *name);
ListInfoRecord *mmaps_create_list_info(const char *name, uint32_t count);
MasterRecord *mmaps_open_master(const char *name);
ProcessRecord *mmaps_open_process(const char *name);
GLContextRecord *mmaps_open_per_gl(const char *name);
ListInfoRecord *mmaps_open_list_info(const char *name, uint32_t count);
// The record's scan scratch with room for `values` floats, grown when it
// has less; null when memory runs out.
float *gl_record_scan_scratch(GLContextRecord *record, size_t values);

MasterRecord *master_create(const char *temp_dir, uint32_t creator_thread_id);
// Sets the initial values of a new process record.
void process_record_init(ProcessRecord *record, uint32_t thread_id);
// Carries out CMD_CLEAR_CALL_COUNTS (the GL, GLU and wgl counters; the GDI
// ones stay) or CMD_CLEAR_PRIMITIVE_COUNTS (the primitives the Primitive
// Count window shows), on the application thread.
void process_counts_clear(ProcessRecord *record, uint32_t code);

// The name of the first of `count` rows holding `value`, else "0x" and at
// least four upper-case hexadecimal digits; written into `out`, the caller's
// COMMAND_NAME_CHARS bytes (interface threads format at once), and returned.
const char *value_name_lookup(uint32_t value, const EnumerantRow *rows, uint32_t count, char *out);
// The same for a value that is an enumerant: the rows of mask bits and of
// GL_FALSE and GL_TRUE name it only when no other row holds it.
const char *enumerant_name_lookup(uint32_t value, const EnumerantRow *rows, uint32_t count, char *out);
