// The generated tables of the debugger's commands: their names by command id,
// the GLS opcode of each GL command id, and the wrappers in the order they
// are installed as capture functions; and the tables the analyses read: the
// state items and the enumerant names.
#pragma once

#include "api/embed.h"
#include "debugger_ids.h"
#include "records.h"

struct WrapperEntry {
    unsigned opcode;
    __GLSfunc wrapper;
};

// 554 names: GL 0-459, GLU 460-519, GDI 520-524, none at 525, wgl 526-549,
// the pbuffer names 550-553.
extern const char *const command_name_table[COMMAND_NAME_COUNT];
extern const unsigned command_opcode_table[GL_COMMAND_IDS];
extern const WrapperEntry wrapper_table[GL_COMMAND_IDS];

extern const StateItemDesc state_item_table[STATE_ITEMS];
extern const EnumerantRow enumerant_table[];
extern const uint32_t enumerant_table_rows;
