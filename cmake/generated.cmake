# Every per-command view is generated from tools/commands.py and the Khronos
# registry into the build tree; none is kept in the source tree.
set(GLS_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${GLS_GENERATED_DIR})
# The tables and the modules of the shared model (registry, model, layout,
# emit): a change to any of them regenerates every view.
file(GLOB GLS_TABLE_DEPS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*.py)
list(FILTER GLS_TABLE_DEPS EXCLUDE REGEX "/(gen_[a-z_]*|check_layers)\\.py$")

# Further arguments name the generators whose views a script builds on.
function(gls_generate script output)
  list(TRANSFORM ARGN PREPEND ${CMAKE_SOURCE_DIR}/tools/)
  add_custom_command(
    OUTPUT ${GLS_GENERATED_DIR}/${output}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/${script} ${GLS_GENERATED_DIR}/${output}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/${script} ${GLS_TABLE_DEPS} ${ARGN}
    COMMENT "Generating ${output}")
endfunction()

gls_generate(gen_types.py gl_types.h)
gls_generate(gen_functions.py gls_functions.h)
gls_generate(gen_opcodes.py gls_opcodes.cpp)
gls_generate(gen_null.py gls_null.cpp)
gls_generate(gen_entry.py gls_entry.cpp)
# The entry points' prototypes, for the tests that call them by name.
gls_generate(gen_entry.py gls_entry.h)
gls_generate(gen_decode.py gls_decode_bin.cpp)
gls_generate(gen_decode_swap.py gls_decode_swap.cpp gen_decode.py)
gls_generate(gen_decode_text.py gls_decode_text.cpp gen_decode.py)
gls_generate(gen_def.py palisade.def)
gls_generate(gen_capture_dispatch.py gls_capture_dispatch.cpp)
gls_generate(gen_names.py gls_names.cpp)
gls_generate(gen_checked.py gls_checked.cpp)
gls_generate(gen_capture.py gls_capture.cpp)
# The capture tests' sweep of every opcode; listed with the sources so that it
# is made before the tests are compiled.
gls_generate(gen_capture_sweep.py gls_capture_sweep.h)
gls_generate(gen_gls_enums.py gls_enums.h)
gls_generate(gen_pname_sizes.py gls_pname_sizes.h)
gls_generate(gen_pname_sizes.py gls_pname_sizes.cpp)

set(GLS_GENERATED_SOURCES
  ${GLS_GENERATED_DIR}/gl_types.h ${GLS_GENERATED_DIR}/gls_enums.h
  ${GLS_GENERATED_DIR}/gls_functions.h
  ${GLS_GENERATED_DIR}/gls_opcodes.cpp ${GLS_GENERATED_DIR}/gls_null.cpp
  ${GLS_GENERATED_DIR}/gls_entry.cpp ${GLS_GENERATED_DIR}/gls_decode_bin.cpp
  ${GLS_GENERATED_DIR}/gls_decode_swap.cpp ${GLS_GENERATED_DIR}/gls_decode_text.cpp
  ${GLS_GENERATED_DIR}/gls_capture_dispatch.cpp ${GLS_GENERATED_DIR}/gls_names.cpp
  ${GLS_GENERATED_DIR}/gls_checked.cpp ${GLS_GENERATED_DIR}/gls_capture.cpp
  ${GLS_GENERATED_DIR}/gls_capture_sweep.h
  ${GLS_GENERATED_DIR}/gls_pname_sizes.h ${GLS_GENERATED_DIR}/gls_pname_sizes.cpp
  ${GLS_GENERATED_DIR}/gls_entry.h)
set(GLS_DEF_FILE ${GLS_GENERATED_DIR}/palisade.def)

# The debugger's views of the same table: its command ids and names, the
# checks' prototypes and the wrappers.
gls_generate(gen_debugger_ids.py debugger_ids.h)
gls_generate(gen_debugger_names.py debugger_names.cpp)
gls_generate(gen_hooks.py debugger_hooks.h)
gls_generate(gen_wrappers.py debugger_wrappers.cpp)
set(DEBUGGER_GENERATED_SOURCES
  ${GLS_GENERATED_DIR}/debugger_ids.h ${GLS_GENERATED_DIR}/debugger_hooks.h
  ${GLS_GENERATED_DIR}/debugger_names.cpp ${GLS_GENERATED_DIR}/debugger_wrappers.cpp)

# The analyses' tables: each check's body, the state items, the enumerant
# names and the GLU wrappers, each from its table beside the command table.
gls_generate(gen_checks.py debugger_checks.cpp)
gls_generate(gen_state_items.py debugger_state_items.cpp)
gls_generate(gen_enumerants.py debugger_enumerants.cpp)
gls_generate(gen_glu_wrappers.py debugger_glu.cpp)
list(APPEND DEBUGGER_GENERATED_SOURCES
  ${GLS_GENERATED_DIR}/debugger_checks.cpp ${GLS_GENERATED_DIR}/debugger_state_items.cpp
  ${GLS_GENERATED_DIR}/debugger_enumerants.cpp ${GLS_GENERATED_DIR}/debugger_glu.cpp)
