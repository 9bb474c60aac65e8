# The one table of parameter counts: how many values a parameter name takes,
# and the families of commands that take it with that count. The size
# functions of the parameter vectors (__glsSize_<command>(pname)), which the
# capture functions, the decoders and their output buffers all size by, are
# generated from it (tools/gen_pname_sizes.py); so are the sample names of
# the capture tests' sweep.
#
# FAMILIES: name, the commands it stands for, and the count of a name the
# table does not give it: 0 for a command that sets state (it reads nothing
# of the caller's for a name it does not know; a decoder hands the GL
# MAX_VALUES values whatever the name), MAX_VALUES for a query (a decoder
# always has room for what the GL writes, whichever name it knows).
# __gls<family>Count(pname) answers for the family.
MAX_VALUES = 16  # no parameter name of any GL takes more
FAMILIES = [
    ("Fog", ["glFogfv", "glFogiv"], 0),
    ("Light", ["glLightfv", "glLightiv"], 0),
    ("LightModel", ["glLightModelfv", "glLightModeliv"], 0),
    ("Material", ["glMaterialfv", "glMaterialiv"], 0),
    ("TexEnv", ["glTexEnvfv", "glTexEnviv"], 0),
    ("TexGen", ["glTexGendv", "glTexGenfv", "glTexGeniv"], 0),
    ("TexParameter", ["glTexParameterfv", "glTexParameteriv"], 0),
    ("ConvolutionParameter", ["glConvolutionParameterfv", "glConvolutionParameteriv"], 0),
    # Every colour-table parameter but scale and bias is one value, set or
    # queried alike; so is every point parameter but the attenuation.
    ("ColorTableParameter", ["glColorTableParameterfv", "glColorTableParameteriv"], 1),
    ("GetColorTableParameter", ["glGetColorTableParameterfv", "glGetColorTableParameteriv"],
     MAX_VALUES),
    ("PointParameterEXT", ["glPointParameterfvEXT"], 1),
    ("Headerfv", ["glsHeaderfv"], 0),
    ("Headeriv", ["glsHeaderiv"], 0),
    ("Get", ["glGetBooleanv", "glGetDoublev", "glGetFloatv", "glGetIntegerv"], MAX_VALUES),
    ("GetLight", ["glGetLightfv", "glGetLightiv"], MAX_VALUES),
    ("GetMaterial", ["glGetMaterialfv", "glGetMaterialiv"], MAX_VALUES),
    ("GetTexEnv", ["glGetTexEnvfv", "glGetTexEnviv"], MAX_VALUES),
    ("GetTexGen", ["glGetTexGendv", "glGetTexGenfv", "glGetTexGeniv"], MAX_VALUES),
    ("GetTexParameter", ["glGetTexParameterfv", "glGetTexParameteriv"], MAX_VALUES),
    ("GetTexLevelParameter", ["glGetTexLevelParameterfv", "glGetTexLevelParameteriv"], MAX_VALUES),
    ("GetConvolutionParameter", ["glGetConvolutionParameterfv",
                                 "glGetConvolutionParameteriv"], MAX_VALUES),
    ("GetHistogramParameter", ["glGetHistogramParameterfv", "glGetHistogramParameteriv"], MAX_VALUES),
    ("GetMinmaxParameter", ["glGetMinmaxParameterfv", "glGetMinmaxParameteriv"], MAX_VALUES),
]

# Parameter name, values, families.
COUNTS = [
    # Fog.
    ("GL_FOG_INDEX", 1, "Fog"),
    ("GL_FOG_DENSITY", 1, "Fog"),
    ("GL_FOG_START", 1, "Fog"),
    ("GL_FOG_END", 1, "Fog"),
    ("GL_FOG_MODE", 1, "Fog"),
    ("GL_FOG_COLOR", 4, "Fog Get"),
    # Lights and materials. GL_AMBIENT_AND_DIFFUSE sets two colours but
    # cannot be queried.
    ("GL_AMBIENT", 4, "Light GetLight Material GetMaterial"),
    ("GL_DIFFUSE", 4, "Light GetLight Material GetMaterial"),
    ("GL_SPECULAR", 4, "Light GetLight Material GetMaterial"),
    ("GL_POSITION", 4, "Light GetLight"),
    ("GL_SPOT_DIRECTION", 3, "Light GetLight"),
    ("GL_SPOT_EXPONENT", 1, "Light GetLight"),
    ("GL_SPOT_CUTOFF", 1, "Light GetLight"),
    ("GL_CONSTANT_ATTENUATION", 1, "Light GetLight"),
    ("GL_LINEAR_ATTENUATION", 1, "Light GetLight"),
    ("GL_QUADRATIC_ATTENUATION", 1, "Light GetLight"),
    ("GL_EMISSION", 4, "Material GetMaterial"),
    ("GL_AMBIENT_AND_DIFFUSE", 4, "Material"),
    ("GL_COLOR_INDEXES", 3, "Material GetMaterial"),
    ("GL_SHININESS", 1, "Material GetMaterial"),
    ("GL_LIGHT_MODEL_AMBIENT", 4, "LightModel Get"),
    ("GL_LIGHT_MODEL_LOCAL_VIEWER", 1, "LightModel"),
    ("GL_LIGHT_MODEL_TWO_SIDE", 1, "LightModel"),
    ("GL_LIGHT_MODEL_COLOR_CONTROL", 1, "LightModel"),
    # Textures.
    ("GL_TEXTURE_ENV_MODE", 1, "TexEnv GetTexEnv"),
    ("GL_TEXTURE_ENV_COLOR", 4, "TexEnv GetTexEnv"),
    ("GL_TEXTURE_GEN_MODE", 1, "TexGen GetTexGen"),
    ("GL_OBJECT_PLANE", 4, "TexGen GetTexGen"),
    ("GL_EYE_PLANE", 4, "TexGen GetTexGen"),
    ("GL_TEXTURE_MAG_FILTER", 1, "TexParameter GetTexParameter"),
    ("GL_TEXTURE_MIN_FILTER", 1, "TexParameter GetTexParameter"),
    ("GL_TEXTURE_WRAP_S", 1, "TexParameter GetTexParameter"),
    ("GL_TEXTURE_WRAP_T", 1, "TexParameter GetTexParameter"),
    ("GL_TEXTURE_PRIORITY", 1, "TexParameter GetTexParameter"),
    ("GL_TEXTURE_WRAP_R", 1, "TexParameter GetTexParameter"),
    ("GL_TEXTURE_BORDER_COLOR", 4, "TexParameter GetTexParameter"),
    # Texture parameters of later GLs that applications set as often as the
    # first ones: a record carries their value.
    ("GL_TEXTURE_MIN_LOD", 1, "TexParameter"),
    ("GL_TEXTURE_MAX_LOD", 1, "TexParameter"),
    ("GL_TEXTURE_BASE_LEVEL", 1, "TexParameter"),
    ("GL_TEXTURE_MAX_LEVEL", 1, "TexParameter"),
    ("GL_TEXTURE_LOD_BIAS", 1, "TexParameter"),
    ("GL_GENERATE_MIPMAP", 1, "TexParameter"),
    ("GL_TEXTURE_COMPARE_MODE", 1, "TexParameter"),
    ("GL_TEXTURE_COMPARE_FUNC", 1, "TexParameter"),
    ("GL_DEPTH_TEXTURE_MODE", 1, "TexParameter"),
    ("GL_TEXTURE_MAX_ANISOTROPY_EXT", 1, "TexParameter"),
    # Imaging.
    ("GL_CONVOLUTION_BORDER_MODE", 1, "ConvolutionParameter GetConvolutionParameter"),
    ("GL_CONVOLUTION_FILTER_SCALE", 4, "ConvolutionParameter GetConvolutionParameter"),
    ("GL_CONVOLUTION_FILTER_BIAS", 4, "ConvolutionParameter GetConvolutionParameter"),
    ("GL_COLOR_TABLE_SCALE", 4, "ColorTableParameter GetColorTableParameter"),
    ("GL_COLOR_TABLE_BIAS", 4, "ColorTableParameter GetColorTableParameter"),
    ("GL_DISTANCE_ATTENUATION_EXT", 3, "PointParameterEXT"),
    # The stream header.
    ("GLS_GAMMA", 4, "Headerfv"),
    ("GLS_RED_POINT", 2, "Headerfv"),
    ("GLS_GREEN_POINT", 2, "Headerfv"),
    ("GLS_BLUE_POINT", 2, "Headerfv"),
    ("GLS_WHITE_POINT", 2, "Headerfv"),
    ("GLS_CREATE_TIME", 6, "Headeriv"),
    # The state queries that answer more than one value.
    ("GL_MODELVIEW_MATRIX", 16, "Get"),
    ("GL_PROJECTION_MATRIX", 16, "Get"),
    ("GL_TEXTURE_MATRIX", 16, "Get"),
    ("GL_CURRENT_COLOR", 4, "Get"),
    ("GL_CURRENT_TEXTURE_COORDS", 4, "Get"),
    ("GL_CURRENT_RASTER_COLOR", 4, "Get"),
    ("GL_CURRENT_RASTER_TEXTURE_COORDS", 4, "Get"),
    ("GL_CURRENT_RASTER_POSITION", 4, "Get"),
    ("GL_ACCUM_CLEAR_VALUE", 4, "Get"),
    ("GL_VIEWPORT", 4, "Get"),
    ("GL_SCISSOR_BOX", 4, "Get"),
    ("GL_COLOR_CLEAR_VALUE", 4, "Get"),
    ("GL_COLOR_WRITEMASK", 4, "Get"),
    ("GL_MAP2_GRID_DOMAIN", 4, "Get"),
    ("GL_BLEND_COLOR", 4, "Get"),
    ("GL_CURRENT_NORMAL", 3, "Get"),
    ("GL_POINT_SIZE_RANGE", 2, "Get"),
    ("GL_LINE_WIDTH_RANGE", 2, "Get"),
    ("GL_POLYGON_MODE", 2, "Get"),
    ("GL_DEPTH_RANGE", 2, "Get"),
    ("GL_MAX_VIEWPORT_DIMS", 2, "Get"),
    ("GL_MAP1_GRID_DOMAIN", 2, "Get"),
    ("GL_MAP2_GRID_SEGMENTS", 2, "Get"),
]
