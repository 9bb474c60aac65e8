"""The enumerant table the debugger names values by (state values shown as
enumerants, the Enumerants window): the OpenGL enumerants by the names the
OpenGL specification gives them, one row per name, sorted by name in byte
order. The names are those the Khronos registry lists for OpenGL 1.0, 1.1
and 1.2 with the imaging subset, less the exceptions below; the values come
from the registry. tools/gen_enumerants.py checks and writes the table."""

# Registry features and extensions whose enumerants make the table.
FEATURES = ["GL_VERSION_1_0", "GL_VERSION_1_1", "GL_VERSION_1_2"]
EXTENSIONS = ["GL_ARB_imaging"]

# OpenGL 1.2 split the point-size and line-width ranges into smooth and
# aliased ones; the debugger speaks of the OpenGL 1.1 state, which names
# those values GL_POINT_SIZE_RANGE, GL_LINE_WIDTH_RANGE and their
# granularities, so a value shows under its 1.1 name.
LEFT_OUT = ["GL_ALIASED_LINE_WIDTH_RANGE", "GL_ALIASED_POINT_SIZE_RANGE",
            "GL_SMOOTH_LINE_WIDTH_GRANULARITY", "GL_SMOOTH_LINE_WIDTH_RANGE",
            "GL_SMOOTH_POINT_SIZE_GRANULARITY", "GL_SMOOTH_POINT_SIZE_RANGE"]

# What the generator checks: the number of rows and the first and last name.
ROW_COUNT = 638
FIRST, LAST = "GL_2D", "GL_ZOOM_Y"
