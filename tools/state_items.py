"""The OpenGL state the debugger scans: 411 items, each read by one GL getter
with at most two enumerant arguments, shown in one way, with a number of
values. The rows are built here from the rules below, in the order the State
windows number them; tools/gen_state_items.py checks them and writes the C++
table. Value counts of parameter names come from the table of parameter
counts (tools/pnames.py); only what that table cannot say is given here.
"""

import pnames

# Getters by fetch kind: the short name that heads an item's display name,
# and the family of tools/pnames.py that counts its parameter's values (None
# where the count is the rule's own).
KINDS = {
    1: ("glGet", "Get"),
    2: ("glGetClipPlane", None),
    3: ("glGetLight", "GetLight"),
    4: ("glGetMap", None),
    5: ("glGetMaterial", "GetMaterial"),
    6: ("glGetPixelMap", None),
    7: ("glGetPolygonStipple", None),
    8: ("glGetTexEnv", "GetTexEnv"),
    9: ("glGetTexGen", "GetTexGen"),
    10: ("glGetTexParameter", "GetTexParameter"),
}

# How the State windows show an item's values.
DISPLAY = {"boolean": 1, "enum": 2, "hex": 3, "matrix": 4, "number": 5, "stipple": 6}

# The glGetFloatv items in their order: a name alone is a number, a name with
# ":how" is shown that way. The order is the windows' own: nearly, not quite,
# alphabetical. GL_FOG and the GL_MAP1_/GL_MAP2_ enables are shown as numbers.
GET = """
GL_ACCUM_ALPHA_BITS GL_ACCUM_BLUE_BITS GL_ACCUM_CLEAR_VALUE GL_ACCUM_GREEN_BITS
GL_ACCUM_RED_BITS GL_ALPHA_BIAS GL_ALPHA_BITS GL_ALPHA_SCALE GL_ALPHA_TEST:boolean
GL_ALPHA_TEST_FUNC:enum GL_ALPHA_TEST_REF GL_ATTRIB_STACK_DEPTH GL_AUTO_NORMAL:boolean
GL_AUX_BUFFERS GL_BLEND:boolean GL_BLEND_DST:enum GL_BLEND_SRC:enum GL_BLUE_BIAS GL_BLUE_BITS
GL_BLUE_SCALE GL_CLIENT_ATTRIB_STACK_DEPTH GL_COLOR_ARRAY:boolean GL_COLOR_ARRAY_SIZE
GL_COLOR_ARRAY_STRIDE GL_COLOR_ARRAY_TYPE:enum GL_COLOR_CLEAR_VALUE GL_COLOR_MATERIAL:boolean
GL_COLOR_MATERIAL_FACE:enum GL_COLOR_MATERIAL_PARAMETER:enum GL_COLOR_WRITEMASK:boolean
GL_CULL_FACE:boolean GL_CULL_FACE_MODE:enum GL_CURRENT_COLOR GL_CURRENT_INDEX
GL_CURRENT_NORMAL GL_CURRENT_RASTER_COLOR GL_CURRENT_RASTER_DISTANCE GL_CURRENT_RASTER_INDEX
GL_CURRENT_RASTER_POSITION GL_CURRENT_RASTER_POSITION_VALID:boolean
GL_CURRENT_RASTER_TEXTURE_COORDS GL_CURRENT_TEXTURE_COORDS GL_DEPTH_BIAS GL_DEPTH_BITS
GL_DEPTH_CLEAR_VALUE GL_DEPTH_FUNC:enum GL_DEPTH_RANGE GL_DEPTH_SCALE GL_DEPTH_TEST:boolean
GL_DEPTH_WRITEMASK:boolean GL_DITHER:boolean GL_DOUBLEBUFFER:boolean GL_DRAW_BUFFER:enum
GL_EDGE_FLAG:boolean GL_EDGE_FLAG_ARRAY:boolean GL_EDGE_FLAG_ARRAY_STRIDE GL_FOG GL_FOG_COLOR
GL_FOG_DENSITY GL_FOG_END GL_FOG_HINT:enum GL_FOG_INDEX GL_FOG_MODE:enum GL_FOG_START
GL_FRONT_FACE:enum GL_GREEN_BIAS GL_GREEN_BITS GL_GREEN_SCALE GL_INDEX_ARRAY:boolean
GL_INDEX_ARRAY_STRIDE GL_INDEX_ARRAY_TYPE:enum GL_INDEX_BITS GL_INDEX_CLEAR_VALUE
GL_INDEX_LOGIC_OP:boolean GL_INDEX_MODE:boolean GL_INDEX_OFFSET GL_INDEX_SHIFT
GL_INDEX_WRITEMASK GL_LIGHT0:boolean GL_LIGHT1:boolean GL_LIGHT2:boolean GL_LIGHT3:boolean
GL_LIGHT4:boolean GL_LIGHT5:boolean GL_LIGHT6:boolean GL_LIGHT7:boolean GL_LIGHTING:boolean
GL_LIGHT_MODEL_AMBIENT GL_LIGHT_MODEL_LOCAL_VIEWER:boolean GL_LIGHT_MODEL_TWO_SIDE:boolean
GL_LINE_SMOOTH:boolean GL_LINE_SMOOTH_HINT:enum GL_LINE_STIPPLE:boolean
GL_LINE_STIPPLE_PATTERN:hex GL_LINE_STIPPLE_REPEAT GL_LINE_WIDTH GL_LINE_WIDTH_GRANULARITY
GL_LINE_WIDTH_RANGE GL_LIST_BASE GL_LIST_INDEX GL_LIST_MODE:enum GL_LOGIC_OP:boolean
GL_LOGIC_OP_MODE:enum GL_MAP1_COLOR_4 GL_MAP1_GRID_DOMAIN GL_MAP1_GRID_SEGMENTS GL_MAP1_INDEX
GL_MAP1_NORMAL GL_MAP1_TEXTURE_COORD_1 GL_MAP1_TEXTURE_COORD_2 GL_MAP1_TEXTURE_COORD_3
GL_MAP1_TEXTURE_COORD_4 GL_MAP1_VERTEX_3 GL_MAP1_VERTEX_4 GL_MAP2_COLOR_4 GL_MAP2_GRID_DOMAIN
GL_MAP2_GRID_SEGMENTS GL_MAP2_INDEX GL_MAP2_NORMAL GL_MAP2_TEXTURE_COORD_1
GL_MAP2_TEXTURE_COORD_2 GL_MAP2_TEXTURE_COORD_3 GL_MAP2_TEXTURE_COORD_4 GL_MAP2_VERTEX_3
GL_MAP2_VERTEX_4 GL_MAP_COLOR:boolean GL_MAP_STENCIL:boolean GL_MATRIX_MODE:enum
GL_MAX_ATTRIB_STACK_DEPTH GL_MAX_CLIENT_ATTRIB_STACK_DEPTH GL_MAX_CLIP_PLANES
GL_MAX_EVAL_ORDER GL_MAX_LIGHTS GL_MAX_LIST_NESTING GL_MAX_MODELVIEW_STACK_DEPTH
GL_MAX_NAME_STACK_DEPTH GL_MAX_PIXEL_MAP_TABLE GL_MAX_PROJECTION_STACK_DEPTH
GL_MAX_TEXTURE_SIZE GL_MAX_TEXTURE_STACK_DEPTH GL_MAX_VIEWPORT_DIMS GL_MODELVIEW_MATRIX:matrix
GL_MODELVIEW_STACK_DEPTH GL_NAME_STACK_DEPTH GL_NORMAL_ARRAY:boolean GL_NORMAL_ARRAY_STRIDE
GL_NORMAL_ARRAY_TYPE:enum GL_NORMALIZE:boolean GL_PACK_ALIGNMENT GL_PACK_LSB_FIRST:boolean
GL_PACK_ROW_LENGTH GL_PACK_SKIP_PIXELS GL_PACK_SKIP_ROWS GL_PACK_SWAP_BYTES:boolean
GL_PERSPECTIVE_CORRECTION_HINT:enum GL_PIXEL_MAP_A_TO_A_SIZE GL_PIXEL_MAP_B_TO_B_SIZE
GL_PIXEL_MAP_G_TO_G_SIZE GL_PIXEL_MAP_I_TO_A_SIZE GL_PIXEL_MAP_I_TO_B_SIZE
GL_PIXEL_MAP_I_TO_G_SIZE GL_PIXEL_MAP_I_TO_I_SIZE GL_PIXEL_MAP_I_TO_R_SIZE
GL_PIXEL_MAP_R_TO_R_SIZE GL_PIXEL_MAP_S_TO_S_SIZE GL_POINT_SIZE GL_POINT_SIZE_GRANULARITY
GL_POINT_SIZE_RANGE GL_POINT_SMOOTH:boolean GL_POINT_SMOOTH_HINT:enum GL_POLYGON_MODE:enum
GL_POLYGON_SMOOTH:boolean GL_POLYGON_SMOOTH_HINT:enum GL_POLYGON_STIPPLE:boolean
GL_PROJECTION_MATRIX:matrix GL_PROJECTION_STACK_DEPTH GL_READ_BUFFER:enum GL_RED_BIAS
GL_RED_BITS GL_RED_SCALE GL_RENDER_MODE:enum GL_RGBA_MODE:boolean GL_SCISSOR_BOX
GL_SCISSOR_TEST:boolean GL_SHADE_MODEL:enum GL_STENCIL_BITS GL_STENCIL_CLEAR_VALUE
GL_STENCIL_FAIL:enum GL_STENCIL_FUNC:enum GL_STENCIL_PASS_DEPTH_FAIL:enum
GL_STENCIL_PASS_DEPTH_PASS:enum GL_STENCIL_REF GL_STENCIL_TEST:boolean GL_STENCIL_VALUE_MASK
GL_STENCIL_WRITEMASK GL_STEREO:boolean GL_SUBPIXEL_BITS GL_TEXTURE_1D:boolean
GL_TEXTURE_2D:boolean GL_TEXTURE_COORD_ARRAY:boolean GL_TEXTURE_COORD_ARRAY_SIZE
GL_TEXTURE_COORD_ARRAY_STRIDE GL_TEXTURE_COORD_ARRAY_TYPE:enum GL_TEXTURE_GEN_Q:boolean
GL_TEXTURE_GEN_R:boolean GL_TEXTURE_GEN_S:boolean GL_TEXTURE_GEN_T:boolean
GL_TEXTURE_MATRIX:matrix GL_TEXTURE_STACK_DEPTH GL_UNPACK_ALIGNMENT GL_UNPACK_LSB_FIRST:boolean
GL_UNPACK_ROW_LENGTH GL_UNPACK_SKIP_PIXELS GL_UNPACK_SKIP_ROWS GL_UNPACK_SWAP_BYTES:boolean
GL_VERTEX_ARRAY:boolean GL_VERTEX_ARRAY_SIZE GL_VERTEX_ARRAY_STRIDE GL_VERTEX_ARRAY_TYPE:enum
GL_VIEWPORT GL_ZOOM_X GL_ZOOM_Y
"""

LIGHTS = ["GL_LIGHT%d" % i for i in range(8)]
LIGHT_PARAMETERS = ["GL_AMBIENT", "GL_CONSTANT_ATTENUATION", "GL_DIFFUSE",
                    "GL_LINEAR_ATTENUATION", "GL_POSITION", "GL_QUADRATIC_ATTENUATION",
                    "GL_SPECULAR", "GL_SPOT_CUTOFF", "GL_SPOT_DIRECTION", "GL_SPOT_EXPONENT"]

# Evaluator targets with the number of components of one control point; a
# GL_COEFF item holds the first control point only.
MAP_TARGETS = [("COLOR_4", 4), ("INDEX", 1), ("NORMAL", 3), ("TEXTURE_COORD_1", 1),
               ("TEXTURE_COORD_2", 2), ("TEXTURE_COORD_3", 3), ("TEXTURE_COORD_4", 4),
               ("VERTEX_3", 3), ("VERTEX_4", 4)]

MATERIAL_FACES = ["GL_BACK", "GL_FRONT"]
MATERIAL_PARAMETERS = ["GL_AMBIENT", "GL_COLOR_INDEXES", "GL_DIFFUSE", "GL_EMISSION",
                       "GL_SHININESS", "GL_SPECULAR"]

# GL_PIXEL_MAP_R_TO_R and GL_PIXEL_MAP_S_TO_S have no item; an item shows a
# map's first entry.
PIXEL_MAPS = ["GL_PIXEL_MAP_A_TO_A", "GL_PIXEL_MAP_B_TO_B", "GL_PIXEL_MAP_G_TO_G",
              "GL_PIXEL_MAP_I_TO_A", "GL_PIXEL_MAP_I_TO_B", "GL_PIXEL_MAP_I_TO_G",
              "GL_PIXEL_MAP_I_TO_I", "GL_PIXEL_MAP_I_TO_R"]

TEX_ENV = [("GL_TEXTURE_ENV", "GL_TEXTURE_ENV_COLOR", "number"),
           ("GL_TEXTURE_ENV", "GL_TEXTURE_ENV_MODE", "enum")]
TEX_GEN_COORDS = ["GL_Q", "GL_R", "GL_S", "GL_T"]
TEX_GEN_PARAMETERS = [("GL_EYE_PLANE", "number"), ("GL_OBJECT_PLANE", "number"),
                      ("GL_TEXTURE_GEN_MODE", "enum")]
TEX_TARGETS = ["GL_TEXTURE_1D", "GL_TEXTURE_2D"]
TEX_PARAMETERS = [("GL_TEXTURE_BORDER_COLOR", "number"), ("GL_TEXTURE_MAG_FILTER", "enum"),
                  ("GL_TEXTURE_MIN_FILTER", "enum"), ("GL_TEXTURE_PRIORITY", "number"),
                  ("GL_TEXTURE_RESIDENT", "boolean"), ("GL_TEXTURE_WRAP_S", "enum"),
                  ("GL_TEXTURE_WRAP_T", "enum")]

CLIP_PLANES = ["GL_CLIP_PLANE%d" % i for i in range(6)]


class Item:
    """One state item: fetch kind, getter arguments (enumerant names), how
    it is shown and how many values it has."""

    def __init__(self, kind, args, display, count):
        self.kind, self.args, self.display, self.count = kind, args, display, count

    @property
    def name(self):
        return "%s(%s)" % (KINDS[self.kind][0], ", ".join(self.args))


def _count(kind, pname):
    """Values of a parameter by the family of the item's getter; a name the
    table does not give is one value, as for every query."""
    family = KINDS[kind][1]
    for name, count, families in pnames.COUNTS:
        if name == pname and family in families.split():
            return count
    return 1


def items():
    rows = []
    for word in GET.split():
        pname, _, how = word.partition(":")
        rows.append(Item(1, [pname], how or "number", _count(1, pname)))
    rows += [Item(2, [p], "number", 4) for p in CLIP_PLANES]
    rows += [Item(3, [l, p], "number", _count(3, p)) for l in LIGHTS for p in LIGHT_PARAMETERS]
    for dims, domain in ((1, 2), (2, 4)):
        for target, components in MAP_TARGETS:
            t = "GL_MAP%d_%s" % (dims, target)
            rows += [Item(4, [t, "GL_COEFF"], "number", components),
                     Item(4, [t, "GL_DOMAIN"], "number", domain),
                     Item(4, [t, "GL_ORDER"], "number", dims)]
    rows += [Item(5, [f, p], "number", _count(5, p))
             for f in MATERIAL_FACES for p in MATERIAL_PARAMETERS]
    rows += [Item(6, [m], "number", 1) for m in PIXEL_MAPS]
    rows.append(Item(7, [], "stipple", 128))
    rows += [Item(8, [t, p], how, _count(8, p)) for t, p, how in TEX_ENV]
    rows += [Item(9, [c, p], how, _count(9, p)) for c in TEX_GEN_COORDS
             for p, how in TEX_GEN_PARAMETERS]
    rows += [Item(10, [t, p], how, _count(10, p)) for t in TEX_TARGETS
             for p, how in TEX_PARAMETERS]
    return rows


# What the generator checks the rows against: the first row of each kind,
# the total, and the values a few rows must have.
KIND_FIRST_ROWS = {1: 0, 2: 222, 3: 228, 4: 308, 5: 362, 6: 374, 7: 382, 8: 383, 9: 385,
                   10: 397}
ITEM_COUNT = 411
