// Size functions: the lengths that capture and decoding agree on. Pure rules
// are checked against tables of cases; the rules that ask the real GL run
// against a recording stand-in put into the default execute table.
#include <gtest/gtest.h>
#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

#include "api/api.h"
#include "core/context.h"
#include "context_test.h"
#include "client/size.h"
#include "core/startup.h"
#include "sink.h"
#include "write/writer.h"

namespace {

const GLubyte someBytes[1] = {0};
const void *const data = someBytes;  // any image, mask or table that is there
const GLubyte *bytesAt(const void *p) { return (const GLubyte *)p; }
const GLenum UB = GL_UNSIGNED_BYTE;

// ------------------------------------------------------------ images

struct PixelCase {
    GLenum format, type;
    GLint width, height, bytes;
};

// clang-format off
const PixelCase pixelCases[] = {
    {GL_RGB, GL_UNSIGNED_BYTE, 3, 2, 18},          {GL_RGB, GL_UNSIGNED_BYTE_3_3_2, 3, 2, 6},
    {GL_RGBA, GL_UNSIGNED_BYTE_3_3_2, 3, 2, 0},    {GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4, 5, 5, 50},
    {GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1, 1, 3, 6}, {GL_RGB, GL_UNSIGNED_SHORT_4_4_4_4, 1, 1, 0},
    {GL_ABGR_EXT, GL_UNSIGNED_INT_8_8_8_8, 2, 2, 16},
    {GL_CMYK_EXT, GL_UNSIGNED_INT_10_10_10_2, 3, 1, 12},
    {GL_CMYKA_EXT, GL_UNSIGNED_INT_8_8_8_8, 1, 1, 0}, {GL_CMYKA_EXT, GL_SHORT, 1, 1, 10},
    {GL_LUMINANCE_ALPHA, GL_FLOAT, 2, 2, 32},      {GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, 2, 2, 16},
    {GL_RED, GL_INT, 1, 2, 8},
    // BGR and BGRA are pixels of 3 and 4 components, plain or packed.
    {GL_BGR, GL_UNSIGNED_BYTE, 2, 2, 12},          {GL_BGRA, GL_UNSIGNED_BYTE, 2, 2, 16},
    {GL_BGRA, GL_UNSIGNED_INT_8_8_8_8, 3, 1, 12},  {GL_BGR, GL_UNSIGNED_BYTE_3_3_2, 2, 1, 2},
    {GL_BGR, GL_UNSIGNED_SHORT_4_4_4_4, 2, 1, 0},
    // The packed types of OpenGL 1.2, reversed ones among them.
    {GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 2, 2, 16}, {GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV, 3, 1, 12},
    {GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 3, 1, 6},    {GL_BGR, GL_UNSIGNED_SHORT_5_6_5_REV, 1, 2, 4},
    {GL_RGBA, GL_UNSIGNED_SHORT_5_6_5, 1, 1, 0},   {GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, 1, 4},
    {GL_ABGR_EXT, GL_UNSIGNED_SHORT_4_4_4_4_REV, 1, 1, 2}, {GL_RGB, GL_UNSIGNED_BYTE_2_3_3_REV, 3, 1, 3},
    // Bitmaps: whole bytes a row, rows not padded further; index formats only.
    {GL_COLOR_INDEX, GL_BITMAP, 9, 3, 6},          {GL_STENCIL_INDEX, GL_BITMAP, 8, 2, 2},
    {GL_COLOR_INDEX, GL_BITMAP, 1, 1, 1},          {GL_RGBA, GL_BITMAP, 8, 1, 0},
    {GL_LUMINANCE, GL_BITMAP, 8, 1, 0},
    // Types and formats that carry no pixels; empty and negative extents.
    {GL_RGB, GL_DOUBLE, 1, 1, 0},                  {GL_RGB, GL_2_BYTES, 1, 1, 0},
    {GL_INTENSITY, GL_UNSIGNED_BYTE, 1, 1, 0},     {0x1234, GL_UNSIGNED_BYTE, 1, 1, 0},
    {GL_RGB, GL_UNSIGNED_BYTE, 0, 5, 0},           {GL_RGB, GL_UNSIGNED_BYTE, -1, 2, 0},
    {GL_RGB, GL_UNSIGNED_BYTE, 2, -1, 0},          {GL_COLOR_INDEX, GL_BITMAP, -1, 3, 0},
    // The largest sizes that fit and the smallest that do not; a 32-bit
    // product would wrap some of these to small sizes.
    {GL_LUMINANCE, GL_UNSIGNED_BYTE, 0x7FFFFFFF, 1, 0x7FFFFFFF},
    {GL_RGBA, GL_UNSIGNED_BYTE, 16384, 32767, 0x7FFF0000}, {GL_RGBA, GL_FLOAT, 32768, 16384, 0},
    {GL_RGBA, GL_UNSIGNED_BYTE, 65536, 16385, 0},  {GL_RGBA, GL_FLOAT, 0x7FFFFFFF, 0x7FFFFFFF, 0},
    {GL_COLOR_INDEX, GL_BITMAP, 0x7FFFFFFF, 7, 0x70000000},
    {GL_COLOR_INDEX, GL_BITMAP, 0x7FFFFFFF, 8, 0},
};
// clang-format on

TEST(SizeImages, PackedImagesCountEveryPixelTightly) {
    for (const PixelCase &c : pixelCases) {
        EXPECT_EQ(c.bytes, __glsPixelsSize(c.format, c.type, c.width, c.height))
            << std::hex << c.format << " " << c.type << std::dec << " " << c.width << "x"
            << c.height;
        // Texture, filter and table images count their index, stencil,
        // depth and bitmap pixels too: the GL reads them all the same.
        EXPECT_EQ(c.bytes, __glsSize_glTexImage2D(c.format, c.type, c.width, c.height, &c))
            << std::hex << c.format << " " << c.type;
    }
}

struct CommandImage {
    GLint bytes;
    const char *rule;
    std::function<GLint(const void *)> size;  // given the image pointer
};
#define IMAGE(bytes, call) {bytes, #call, [](const void *p) { return call; }}

// Each rule of a command that hands the GL an image, mask or table sizes it,
// and a null pointer as 0 bytes, since the writer then writes nothing.
TEST(SizeImages, CommandsSizeTheirImageAndNothingForANullPointer) {
    // clang-format off
    const CommandImage cases[] = {
        IMAGE(6, __glsSize_glBitmap(9, 3, bytesAt(p))),
        IMAGE(128, __glsSize_glPolygonStipple(bytesAt(p))),
        IMAGE(16, __glsSize_glDrawPixels(GL_COLOR_INDEX, GL_UNSIGNED_BYTE, 4, 4, p)),
        IMAGE(36, __glsSize_glDrawPixels(GL_BGR, GL_SHORT, 2, 3, p)),
        IMAGE(15, __glsSize_glTexImage1D(GL_RGB, GL_UNSIGNED_BYTE, 5, p)),
        IMAGE(15, __glsSize_glTexSubImage1D(GL_RGB, GL_UNSIGNED_BYTE, 5, p)),
        IMAGE(12, __glsSize_glConvolutionFilter1D(GL_LUMINANCE, GL_FLOAT, 3, p)),
        IMAGE(24, __glsSize_glTexImage2D(GL_BGRA, GL_UNSIGNED_BYTE, 2, 3, p)),
        IMAGE(16, __glsSize_glTexImage2D(GL_COLOR_INDEX, GL_UNSIGNED_BYTE, 4, 4, p)),
        IMAGE(6, __glsSize_glTexImage2D(GL_COLOR_INDEX, GL_BITMAP, 10, 3, p)),
        IMAGE(12, __glsSize_glTexImage3D(GL_COLOR_INDEX, GL_BITMAP, 16, 3, 2, p)),
        IMAGE(24, __glsSize_glTexSubImage2D(GL_BGRA, GL_UNSIGNED_BYTE, 2, 3, p)),
        IMAGE(54, __glsSize_glConvolutionFilter2D(GL_RGB, GL_SHORT, 3, 3, p)),
        IMAGE(48, __glsSize_glTexImage3D(GL_RGBA, GL_UNSIGNED_BYTE, 2, 2, 3, p)),
        IMAGE(0, __glsSize_glTexImage3D(GL_RGBA, GL_UNSIGNED_BYTE, 2, 2, -1, p)),
        IMAGE(0, __glsSize_glTexImage3D(GL_RGBA, GL_FLOAT, 1024, 1024, 512, p)),
        IMAGE(0, __glsSize_glTexImage3D(GL_RGBA, GL_UNSIGNED_BYTE, 1024, 1024, 1025, p)),
        IMAGE(24, __glsSize_glTexSubImage3D(GL_LUMINANCE, GL_UNSIGNED_SHORT, 3, 2, 2, p)),
        IMAGE(48, __glsSize_glSeparableFilter2D_row(GL_RGB, GL_FLOAT, 4, p)),
        IMAGE(24, __glsSize_glSeparableFilter2D_column(GL_RGB, GL_FLOAT, 2, p)),
        IMAGE(4, __glsSize_glSeparableFilter2D_row(GL_DEPTH_COMPONENT, UB, 4, p)),
        IMAGE(0, __glsSize_glSeparableFilter2D_row(GL_RGB, 0x1234, 4, p)),
        IMAGE(1024, __glsSize_glColorTable(GL_RGBA, GL_UNSIGNED_BYTE, 256, p)),
        IMAGE(4, __glsSize_glColorTable(GL_COLOR_INDEX, GL_UNSIGNED_BYTE, 4, p)),
    };
    // clang-format on
    for (const CommandImage &c : cases) {
        EXPECT_EQ(c.bytes, c.size(data)) << c.rule;
        EXPECT_EQ(0, c.size(nullptr)) << c.rule << " with a null pointer";
    }
    // Output images, in a buffer the decoder provides.
    EXPECT_EQ(16, __glsSize_glReadPixels(GL_DEPTH_COMPONENT, GL_FLOAT, 2, 2));
    EXPECT_EQ(2, __glsSize_glReadPixels(GL_STENCIL_INDEX, GL_BITMAP, 9, 1));
    EXPECT_EQ(128, __glsSize_glGetPolygonStipple());
    EXPECT_EQ(32, __glsSize_glGetMinmax(0x1234, GL_RGBA, GL_FLOAT));
    EXPECT_EQ(8, __glsSize_glGetMinmax(GL_MINMAX, GL_COLOR_INDEX, GL_FLOAT));
    // A query of a format or type the table does not know gets room for the
    // largest pixel; one past 31 bits the largest count, never a small one.
    EXPECT_EQ(256 * 256 * 32, __glsSize_glReadPixels(GL_BGRA, 0x1234, 256, 256));
    EXPECT_EQ(0x7FFFFFFF, __glsSize_glReadPixels(GL_RGBA, GL_FLOAT, 0x10000, 0x10000));
    EXPECT_EQ(0, __glsSize_glReadPixels(GL_RGBA, GL_FLOAT, -1, 2));
}

// The writer's pixel put writes exactly the bytes the size gives, whatever
// unpack modes are in force: both go by one table of formats and types.
TEST(SizeImages, WriterPutsExactlyTheBytesOfTheSize) {
    struct Case {
        GLenum format, type;
        GLint width, height, depth;
    } cases[] = {
        {GL_RGB, GL_UNSIGNED_BYTE, 3, 2, 0},       {GL_BGR, GL_UNSIGNED_BYTE, 3, 2, 0},
        {GL_BGRA, GL_UNSIGNED_SHORT, 2, 2, 0},     {GL_BGRA, GL_UNSIGNED_INT_8_8_8_8, 3, 1, 0},
        {GL_BGR, GL_UNSIGNED_BYTE_3_3_2, 5, 1, 0}, {GL_CMYKA_EXT, GL_FLOAT, 2, 2, 0},
        {GL_COLOR_INDEX, GL_BITMAP, 9, 3, 0},      {GL_STENCIL_INDEX, GL_BITMAP, 17, 2, 0},
        {GL_RGBA, GL_BITMAP, 8, 1, 0},             {GL_RGB, GL_UNSIGNED_SHORT_4_4_4_4, 2, 2, 0},
        {GL_LUMINANCE_ALPHA, GL_BYTE, 3, 3, 2},    {GL_RGBA, GL_UNSIGNED_BYTE, 2, 2, 3},
        {GL_RGB, GL_DOUBLE, 2, 2, 0},              {0x1234, GL_UNSIGNED_BYTE, 2, 2, 0},
        {GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 3, 2, 0}, {GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2, 2, 2},
        {GL_COLOR_INDEX, GL_BITMAP, 12, 3, 2},
    };
    GLuint name = glsGenContext();
    glsContext(name);
    __glsGetContext()->writeFunc = Sink::write;
    std::vector<GLubyte> pixels(4096, 0x5A);
    for (const Case &c : cases) {
        GLint size = __glsPixelsSize(c.format, c.type, c.width, c.height) * (c.depth ? c.depth : 1);
        __GLSwriter *w = __glsWriterCreate((const GLubyte *)"", GLS_BINARY_LSB_FIRST, 0);
        ASSERT_TRUE(w);
        ASSERT_TRUE(w->put.beginCommand(w, __GLS_OP_glDrawPixels, (GLulong)size));
        GLubyte *before = w->writePtr;
        __glsWriterPutPixels(w, c.format, c.type, c.width, c.height, c.depth, 0, pixels.data());
        EXPECT_EQ((ptrdiff_t)size, w->writePtr - before)
            << std::hex << c.format << " " << c.type << std::dec << " " << c.depth;
        w->writePtr = before + size;
        w->put.endCommand(w);
        __glsWriterDestroy(w);
    }
    glsContext(0);
    glsDeleteContext(name);
    glsGetError();
}

// --------------------------------------------------- parameter vectors

struct PnameGroup {
    const char *family;
    std::vector<GLint (*)(GLenum)> rules;  // the variants of one command
    std::vector<std::pair<GLenum, GLint>> counts;
};

void checkGroups(const std::vector<PnameGroup> &groups) {
    for (const PnameGroup &g : groups) {
        for (size_t r = 0; r < g.rules.size(); ++r) {
            for (const auto &c : g.counts) {
                EXPECT_EQ(c.second, g.rules[r](c.first))
                    << g.family << " variant " << r << " pname 0x" << std::hex << c.first;
            }
        }
    }
}

// Commands that set state send no values for a name not in their list;
// query commands answer 16, the most any name of any GL takes, so that a
// decoder always has room for what the GL writes.
TEST(SizeParameters, EachNameCountsItsValues) {
    // clang-format off
    checkGroups({
        {"Fog", {__glsSize_glFogfv, __glsSize_glFogiv},
         {{GL_FOG_INDEX, 1}, {GL_FOG_MODE, 1}, {GL_FOG_COLOR, 4}, {GL_FOG_HINT, 0}, {0, 0}}},
        {"Light", {__glsSize_glLightfv, __glsSize_glLightiv},
         {{GL_POSITION, 4}, {GL_SPOT_DIRECTION, 3}, {GL_SPOT_CUTOFF, 1},
          {GL_QUADRATIC_ATTENUATION, 1}, {GL_EMISSION, 0}}},
        {"LightModel", {__glsSize_glLightModelfv, __glsSize_glLightModeliv},
         {{GL_LIGHT_MODEL_AMBIENT, 4}, {GL_LIGHT_MODEL_TWO_SIDE, 1},
          {GL_LIGHT_MODEL_COLOR_CONTROL, 1}, {GL_AMBIENT, 0}}},
        {"Material", {__glsSize_glMaterialfv, __glsSize_glMaterialiv},
         {{GL_EMISSION, 4}, {GL_AMBIENT_AND_DIFFUSE, 4}, {GL_COLOR_INDEXES, 3}, {GL_SHININESS, 1},
          {GL_POSITION, 0}}},
        {"TexEnv", {__glsSize_glTexEnvfv, __glsSize_glTexEnviv},
         {{GL_TEXTURE_ENV_MODE, 1}, {GL_TEXTURE_ENV_COLOR, 4}, {GL_TEXTURE_BORDER_COLOR, 0}}},
        {"TexGen", {__glsSize_glTexGendv, __glsSize_glTexGenfv, __glsSize_glTexGeniv},
         {{GL_TEXTURE_GEN_MODE, 1}, {GL_OBJECT_PLANE, 4}, {GL_EYE_PLANE, 4}, {GL_S, 0}}},
        {"TexParameter", {__glsSize_glTexParameterfv, __glsSize_glTexParameteriv},
         {{GL_TEXTURE_WRAP_T, 1}, {GL_TEXTURE_PRIORITY, 1}, {GL_TEXTURE_WRAP_R, 1},
          {GL_TEXTURE_BORDER_COLOR, 4}, {GL_TEXTURE_MAX_LEVEL, 1},
          {GL_TEXTURE_MAX_ANISOTROPY_EXT, 1}, {GL_TEXTURE_WIDTH, 0}}},
        {"ConvolutionParameter", {__glsSize_glConvolutionParameterfv,
                                  __glsSize_glConvolutionParameteriv},
         {{GL_CONVOLUTION_BORDER_MODE, 1}, {GL_CONVOLUTION_FILTER_BIAS, 4},
          {GL_CONVOLUTION_WIDTH, 0}}},
        // Colour-table and point parameters carry their values too.
        {"ColorTableParameter", {__glsSize_glColorTableParameterfv,
                                 __glsSize_glColorTableParameteriv},
         {{GL_COLOR_TABLE_SCALE, 4}, {GL_COLOR_TABLE_BIAS, 4}, {GL_COLOR_TABLE_WIDTH, 1}}},
        {"GetColorTableParameter", {__glsSize_glGetColorTableParameterfv,
                                    __glsSize_glGetColorTableParameteriv},
         {{GL_COLOR_TABLE_SCALE, 4}, {GL_COLOR_TABLE_BIAS, 4}, {GL_COLOR_TABLE_WIDTH, 16}}},
        {"PointParameterEXT", {__glsSize_glPointParameterfvEXT},
         {{GL_DISTANCE_ATTENUATION_EXT, 3}, {GL_POINT_SIZE_MIN_EXT, 1}}},
        {"glsHeaderfv", {__glsSize_glsHeaderfv},
         {{GLS_GAMMA, 4}, {GLS_RED_POINT, 2}, {GLS_WHITE_POINT, 2}, {415, 0}, {421, 0}}},
        {"glsHeaderiv", {__glsSize_glsHeaderiv},
         {{GLS_CREATE_TIME, 6}, {463, 0}, {465, 0}, {GLS_GAMMA, 0}}},
        // Queries.
        {"Get", {__glsSize_glGetBooleanv, __glsSize_glGetDoublev, __glsSize_glGetFloatv,
                 __glsSize_glGetIntegerv, __glsGetCount},
         {{GL_TEXTURE_MATRIX, 16}, {GL_CURRENT_RASTER_TEXTURE_COORDS, 4}, {GL_COLOR_WRITEMASK, 4},
          {GL_MAP2_GRID_DOMAIN, 4}, {GL_BLEND_COLOR, 4}, {GL_CURRENT_NORMAL, 3},
          {GL_POLYGON_MODE, 2}, {GL_MAP1_GRID_DOMAIN, 2}, {GL_MAP2_GRID_SEGMENTS, 2},
          {GL_MAP1_GRID_SEGMENTS, 16}, {GL_CURRENT_INDEX, 16}, {0x1234, 16},
          {0x84E3, 16}, {0x846E, 16}}},
        {"GetLight", {__glsSize_glGetLightfv, __glsSize_glGetLightiv},
         {{GL_POSITION, 4}, {GL_SPOT_DIRECTION, 3}, {GL_SPOT_CUTOFF, 1}, {GL_EMISSION, 16}}},
        {"GetMaterial", {__glsSize_glGetMaterialfv, __glsSize_glGetMaterialiv},
         {{GL_EMISSION, 4}, {GL_COLOR_INDEXES, 3}, {GL_SHININESS, 1}, {GL_AMBIENT_AND_DIFFUSE, 16}}},
        {"GetTexEnv", {__glsSize_glGetTexEnvfv, __glsSize_glGetTexEnviv},
         {{GL_TEXTURE_ENV_COLOR, 4}, {GL_TEXTURE_ENV_MODE, 1}, {0x1234, 16}}},
        {"GetTexGen", {__glsSize_glGetTexGendv, __glsSize_glGetTexGenfv, __glsSize_glGetTexGeniv},
         {{GL_OBJECT_PLANE, 4}, {GL_EYE_PLANE, 4}, {GL_TEXTURE_GEN_MODE, 1}, {0x1234, 16}}},
        {"GetTexParameter", {__glsSize_glGetTexParameterfv, __glsSize_glGetTexParameteriv},
         {{GL_TEXTURE_BORDER_COLOR, 4}, {GL_TEXTURE_MAG_FILTER, 1}, {0x1234, 16}}},
        {"GetConvolutionParameter",
         {__glsSize_glGetConvolutionParameterfv, __glsSize_glGetConvolutionParameteriv},
         {{GL_CONVOLUTION_FILTER_SCALE, 4}, {GL_CONVOLUTION_BORDER_MODE, 1}, {0x1234, 16}}},
        {"no name listed", {__glsSize_glGetTexLevelParameterfv, __glsSize_glGetTexLevelParameteriv,
                            __glsSize_glGetHistogramParameterfv,
                            __glsSize_glGetHistogramParameteriv,
                            __glsSize_glGetMinmaxParameterfv, __glsSize_glGetMinmaxParameteriv},
         {{GL_TEXTURE_WIDTH, 16}, {GL_TEXTURE_BORDER_COLOR, 16}, {0, 16}}},
    });
    // clang-format on
}

// ------------------------------------------------ maps, lists, vertex data

TEST(SizeMaps, ControlPointsFollowTheTargetComponentsAndStrides) {
    // clang-format off
    struct { GLenum map1, map2; GLint k; } components[] = {
        {GL_MAP1_COLOR_4, GL_MAP2_COLOR_4, 4}, {GL_MAP1_INDEX, GL_MAP2_INDEX, 1},
        {GL_MAP1_NORMAL, GL_MAP2_NORMAL, 3}, {GL_MAP1_TEXTURE_COORD_1, GL_MAP2_TEXTURE_COORD_1, 1},
        {GL_MAP1_TEXTURE_COORD_2, GL_MAP2_TEXTURE_COORD_2, 2},
        {GL_MAP1_TEXTURE_COORD_3, GL_MAP2_TEXTURE_COORD_3, 3},
        {GL_MAP1_TEXTURE_COORD_4, GL_MAP2_TEXTURE_COORD_4, 4},
        {GL_MAP1_VERTEX_3, GL_MAP2_VERTEX_3, 3}, {GL_MAP1_VERTEX_4, GL_MAP2_VERTEX_4, 4},
        {GL_MAP1_GRID_DOMAIN, GL_MAP2_GRID_DOMAIN, 0}, {GL_TEXTURE_1D, GL_TEXTURE_2D, 0},
    };
    struct { GLenum target; GLint stride, order, values; } map1[] = {
        {GL_MAP1_VERTEX_3, 2, 4, 0}, {GL_MAP1_VERTEX_3, 3, 4, 12}, {GL_MAP1_VERTEX_3, 7, 4, 12},
        {GL_MAP1_TEXTURE_COORD_2, 2, 5, 10}, {GL_MAP1_VERTEX_3, 3, 0, 0},
        {GL_MAP1_VERTEX_3, 3, -1, 0}, {GL_TEXTURE_2D, 5, 4, 0},
        {GL_MAP1_INDEX, 1, 0x7FFFFFFF, 0x7FFFFFFF}, {GL_MAP1_VERTEX_4, 4, 0x20000000, 0},
    };
    struct { GLenum target; GLint ustride, uorder, vstride, vorder, values; } map2[] = {
        {GL_MAP2_VERTEX_4, 4, 3, 12, 2, 24}, {GL_MAP2_VERTEX_4, 3, 3, 12, 2, 0},
        {GL_MAP2_VERTEX_4, 4, 3, 3, 2, 0}, {GL_MAP2_VERTEX_4, 4, -1, 12, 2, 0},
        {GL_MAP2_VERTEX_4, 4, 3, 12, -1, 0}, {GL_MAP2_NORMAL, 3, 2, 6, 0, 0},
        {0x1234, 4, 3, 12, 2, 0}, {GL_MAP2_VERTEX_4, 4, 65536, 4, 65536, 0},
    };
    // clang-format on
    for (const auto &c : components) {
        EXPECT_EQ(c.k, __glsMapComponents(c.map1)) << std::hex << c.map1;
        EXPECT_EQ(c.k, __glsMapComponents(c.map2)) << std::hex << c.map2;
    }
    for (const auto &c : map1) {
        EXPECT_EQ(c.values, __glsSize_glMap1d(c.target, c.stride, c.order)) << c.order;
        EXPECT_EQ(c.values, __glsSize_glMap1f(c.target, c.stride, c.order)) << c.order;
    }
    for (const auto &c : map2) {
        EXPECT_EQ(c.values, __glsSize_glMap2d(c.target, c.ustride, c.uorder, c.vstride, c.vorder))
            << c.uorder << " " << c.vorder;
        EXPECT_EQ(c.values, __glsSize_glMap2f(c.target, c.ustride, c.uorder, c.vstride, c.vorder));
    }
}

TEST(SizeLists, ListsIndicesAndVertexDataByTheirElementSize) {
    // clang-format off
    struct { GLint n; GLenum type; GLint lists, indices; } cases[] = {
        {5, GL_BYTE, 5, 0}, {5, GL_UNSIGNED_BYTE, 5, 5}, {5, GL_SHORT, 10, 0},
        {5, GL_UNSIGNED_SHORT, 10, 10}, {5, GL_2_BYTES, 10, 0}, {3, GL_3_BYTES, 9, 0},
        {5, GL_INT, 20, 0}, {5, GL_UNSIGNED_INT, 20, 20}, {5, GL_FLOAT, 20, 0},
        {5, GL_4_BYTES, 20, 0}, {5, GL_DOUBLE, 0, 0}, {5, 0x1234, 0, 0}, {0, GL_INT, 0, 0},
        {-1, GL_UNSIGNED_BYTE, 0, 0}, {0x1FFFFFFF, GL_UNSIGNED_INT, 0x7FFFFFFC, 0x7FFFFFFC},
        {0x20000000, GL_UNSIGNED_INT, 0, 0}, {0x7FFFFFFF, GL_4_BYTES, 0, 0},
    };
    const std::pair<GLenum, GLint> strides[] = {
        {GL_V2F, 8}, {GL_V3F, 12}, {GL_C4UB_V2F, 12}, {GL_C4UB_V3F, 16}, {GL_C3F_V3F, 24},
        {GL_N3F_V3F, 24}, {GL_C4F_N3F_V3F, 40}, {GL_T2F_V3F, 20}, {GL_T4F_V4F, 32},
        {GL_T2F_C4UB_V3F, 24}, {GL_T2F_C3F_V3F, 32}, {GL_T2F_N3F_V3F, 32}, {GL_T2F_C4F_N3F_V3F, 48},
        {GL_T4F_C4F_N3F_V4F, 60}, {GL_RGBA, 0}, {GL_FLOAT, 0},
    };
    // clang-format on
    for (const auto &c : cases) {
        EXPECT_EQ(c.lists, __glsSize_glCallLists(c.n, c.type)) << c.n << " " << std::hex << c.type;
        EXPECT_EQ(c.indices, __glsSize_glDrawElements(c.n, c.type)) << c.n << " " << c.type;
    }
    for (const auto &s : strides) {
        EXPECT_EQ(2 * s.second, __glsSize_glsDrawVertexArray(s.first, 2)) << std::hex << s.first;
        EXPECT_EQ(0, __glsSize_glsDrawVertexArray(s.first, -1)) << std::hex << s.first;
    }
    EXPECT_EQ(0, __glsSize_glsDrawVertexArray(GL_T4F_C4F_N3F_V4F, 0x7FFFFFFF));
    EXPECT_EQ(0x7FFFFFF8, __glsSize_glsDrawVertexArray(GL_V2F, 0x0FFFFFFF));
}

// ------------------------------------------- rules that ask the GL

// What the recording stand-in was asked, in order, each with the execute
// depth it was asked at; and what it answers, by target and name.
std::vector<std::string> asked;
std::vector<GLint> askedAtDepth;
struct Answer {
    GLenum target, pname;
    GLint values[2];
};
std::vector<Answer> answers;
const char *extensions = "";

std::string question(const char *query, GLenum target, GLenum pname) {
    char text[64];
    snprintf(text, sizeof text, "%s %04X %04X", query, target, pname);
    return text;
}

void answer(const char *query, GLenum target, GLenum pname, GLint *out) {
    __GLScontext *ctx = __glsGetContext();
    asked.push_back(question(query, target, pname));
    askedAtDepth.push_back(ctx ? ctx->captureExecDepth : -1);
    for (const Answer &a : answers) {
        if (a.target != target || a.pname != pname) continue;
        out[0] = a.values[0];
        if (target >= GL_MAP2_COLOR_4 && target <= GL_MAP2_VERTEX_4) out[1] = a.values[1];
    }
}

void GLSAPI fakeGetIntegerv(GLenum pname, GLint *out) {
    if (pname == GL_MAX_LIGHTS) {  // the question whether a GL context is current
        *out = 8;
        return;
    }
    answer("Integer", 0, pname, out);
}
const GLubyte *GLSAPI fakeGetString(GLenum) { return (const GLubyte *)extensions; }
void GLSAPI fakeGetMapiv(GLenum target, GLenum query, GLint *out) {
    answer("Map", target, query, out);
}
void GLSAPI fakeGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint *out) {
    answer(level ? "TexLevel1" : "TexLevel0", target, pname, out);
}
void GLSAPI fakeGetConvolutionParameteriv(GLenum target, GLenum pname, GLint *out) {
    answer("Convolution", target, pname, out);
}
void GLSAPI fakeGetHistogramParameteriv(GLenum target, GLenum pname, GLint *out) {
    answer("Histogram", target, pname, out);
}
void GLSAPI fakeGetColorTableParameteriv(GLenum target, GLenum pname, GLint *out) {
    answer("ColorTable", target, pname, out);
}

class SizeQueries : public GlsContextTest {
protected:
    struct Replaced {
        GLSopcode opcode;
        __GLSfunc fake, saved;
    } slots[7] = {
        {__GLS_OP_glGetIntegerv, (__GLSfunc)fakeGetIntegerv, nullptr},
        {__GLS_OP_glGetString, (__GLSfunc)fakeGetString, nullptr},
        {__GLS_OP_glGetMapiv, (__GLSfunc)fakeGetMapiv, nullptr},
        {__GLS_OP_glGetTexLevelParameteriv, (__GLSfunc)fakeGetTexLevelParameteriv, nullptr},
        {__GLS_OP_glGetConvolutionParameteriv, (__GLSfunc)fakeGetConvolutionParameteriv, nullptr},
        {__GLS_OP_glGetHistogramParameteriv, (__GLSfunc)fakeGetHistogramParameteriv, nullptr},
        {__GLS_OP_glGetColorTableParameteriv, (__GLSfunc)fakeGetColorTableParameteriv, nullptr},
    };
    void SetUp() override {
        for (Replaced &r : slots) {
            r.saved = __glsDefaultDispatchTable[r.opcode];
            __glsDefaultDispatchTable[r.opcode] = r.fake;
        }
        ASSERT_NO_FATAL_FAILURE(GlsContextTest::SetUp());
        asked.clear();
        askedAtDepth.clear();
    }
    void TearDown() override {
        GlsContextTest::TearDown();
        for (Replaced &r : slots) __glsDefaultDispatchTable[r.opcode] = r.saved;
    }
};

// A rule's call, as text for the messages and as the call itself.
#define RULE(call) #call, [] { return call; }

struct QueryCase {
    const char *rule;
    std::function<GLint()> size;
    const char *extensions;
    std::vector<Answer> gl;
    GLint expected;
    std::vector<std::string> questions;
};

// Each case asks exactly its questions, each inside the execute bracket.
void runQueryCases(const std::vector<QueryCase> &cases) {
    __GLScontext *ctx = __glsGetContext();
    for (const QueryCase &c : cases) {
        asked.clear();
        askedAtDepth.clear();
        answers = c.gl;
        extensions = c.extensions;
        __glsGLInfoReset(&ctx->glInfo);
        GLint depth = ctx->captureExecDepth;
        EXPECT_EQ(c.expected, c.size()) << c.rule;
        EXPECT_EQ(depth, ctx->captureExecDepth) << c.rule;
        EXPECT_EQ(c.questions, asked) << c.rule;
        EXPECT_EQ(std::vector<GLint>(asked.size(), depth + 1), askedAtDepth) << c.rule;
    }
}

const char *const t3 = "GL_EXT_texture3D";
std::string tex(GLenum target, GLenum pname) { return question("TexLevel0", target, pname); }
std::string conv(GLenum target, GLenum pname) { return question("Convolution", target, pname); }
std::string order(GLenum target) { return question("Map", target, GL_ORDER); }
const GLenum T1 = GL_TEXTURE_1D, T2 = GL_TEXTURE_2D, T3 = GL_TEXTURE_3D;
const GLenum W = GL_TEXTURE_WIDTH, H = GL_TEXTURE_HEIGHT, D = GL_TEXTURE_DEPTH;
const GLenum C1 = GL_CONVOLUTION_1D, C2 = GL_CONVOLUTION_2D, S2 = GL_SEPARABLE_2D;
const GLenum CW = GL_CONVOLUTION_WIDTH, CH = GL_CONVOLUTION_HEIGHT;

// Texture images: width and height, and the depth of 3-D textures only;
// a target the GL may not know is not asked about.
TEST_F(SizeQueries, TextureImagesTakeTheLevelsDimensions) {
    // clang-format off
    runQueryCases({
        {RULE(__glsSize_glGetTexImage(T2, 0, GL_RGBA, UB)), "", {{T2, W, {4}}, {T2, H, {3}}}, 48,
         {tex(T2, W), tex(T2, H)}},
        {RULE(__glsSize_glGetTexImage(T1, 0, GL_BGR, GL_FLOAT)), t3,
         {{T1, W, {5}}, {T1, H, {1}}}, 60, {tex(T1, W), tex(T1, H)}},
        {RULE(__glsSize_glGetTexImage(T2, 1, GL_LUMINANCE, UB)), "", {}, 0,
         {question("TexLevel1", T2, W), question("TexLevel1", T2, H)}},
        {RULE(__glsSize_glGetTexImage(T3, 0, GL_LUMINANCE, UB)), t3,
         {{T3, W, {2}}, {T3, H, {2}}, {T3, D, {3}}}, 12, {tex(T3, W), tex(T3, H), tex(T3, D)}},
        {RULE(__glsSize_glGetTexImage(T3, 0, GL_LUMINANCE, UB)), t3,
         {{T3, W, {2}}, {T3, H, {2}}}, 4, {tex(T3, W), tex(T3, H), tex(T3, D)}},
        {RULE(__glsSize_glGetTexImage(T3, 0, GL_RGBA, UB)), "", {{T3, W, {2}}}, 0, {}},
        {RULE(__glsSize_glGetTexImage(T2, -1, GL_RGBA, UB)), t3, {}, 0, {}},
        {RULE(__glsSize_glGetTexImage(GL_PROXY_TEXTURE_2D, 0, GL_RGBA, UB)), t3, {}, 0, {}},
        // Past 31 bits: the largest count, which no decoder provides.
        {RULE(__glsSize_glGetTexImage(T3, 0, GL_RGBA, GL_FLOAT)), t3,
         {{T3, W, {1024}}, {T3, H, {1024}}, {T3, D, {512}}}, 0x7FFFFFFF,
         {tex(T3, W), tex(T3, H), tex(T3, D)}},
    });
    // clang-format on
}

TEST_F(SizeQueries, FiltersHistogramsAndTablesTakeTheirWidths) {
    const GLenum CT = GL_COLOR_TABLE, PC = GL_POST_CONVOLUTION_COLOR_TABLE,
                 TW = GL_COLOR_TABLE_WIDTH;
    // clang-format off
    runQueryCases({
        {RULE(__glsSize_glGetConvolutionFilter(C1, GL_RGBA, GL_FLOAT)), "",
         {{C1, CW, {5}}, {C1, CH, {9}}}, 80, {conv(C1, CW)}},
        {RULE(__glsSize_glGetConvolutionFilter(C2, GL_RGB, UB)), "",
         {{C2, CW, {3}}, {C2, CH, {2}}}, 18, {conv(C2, CW), conv(C2, CH)}},
        {RULE(__glsSize_glGetConvolutionFilter(S2, GL_RGB, UB)), "", {}, 0, {}},
        {RULE(__glsSize_glGetSeparableFilter_row(S2, GL_RGBA, GL_SHORT)), "",
         {{S2, CW, {3}}, {S2, CH, {5}}}, 24, {conv(S2, CW)}},
        {RULE(__glsSize_glGetSeparableFilter_column(S2, GL_RGBA, GL_SHORT)), "",
         {{S2, CW, {3}}, {S2, CH, {5}}}, 40, {conv(S2, CH)}},
        {RULE(__glsSize_glGetSeparableFilter_row(C2, GL_RGBA, GL_SHORT)), "", {}, 0, {}},
        {RULE(__glsSize_glGetSeparableFilter_span(S2, GL_RGBA, GL_SHORT)), "", {}, 0, {}},
        {RULE(__glsSize_glGetHistogram(GL_HISTOGRAM, GL_LUMINANCE, UB)), "",
         {{GL_HISTOGRAM, GL_HISTOGRAM_WIDTH, {256}}}, 256,
         {question("Histogram", GL_HISTOGRAM, GL_HISTOGRAM_WIDTH)}},
        {RULE(__glsSize_glGetHistogram(GL_PROXY_HISTOGRAM, GL_LUMINANCE, UB)), "", {}, 0, {}},
        {RULE(__glsSize_glGetColorTable(CT, GL_RGBA, UB)), "", {{CT, TW, {256}}}, 1024,
         {question("ColorTable", CT, TW)}},
        {RULE(__glsSize_glGetColorTable(PC, GL_BGR, GL_FLOAT)), "", {{PC, TW, {2}}}, 24,
         {question("ColorTable", PC, TW)}},
        {RULE(__glsSize_glGetColorTable(GL_PROXY_COLOR_TABLE, GL_RGBA, UB)), "", {}, 0, {}},
    });
    // clang-format on
}

TEST_F(SizeQueries, MapsAndPixelMapsTakeTheirOrdersAndSizes) {
    const GLenum V3 = GL_MAP1_VERTEX_3, C4 = GL_MAP2_COLOR_4, V4 = GL_MAP2_VERTEX_4;
    // clang-format off
    runQueryCases({
        {RULE(__glsSize_glGetMap(V3, GL_COEFF)), "", {{V3, GL_ORDER, {4, 99}}}, 12, {order(V3)}},
        {RULE(__glsSize_glGetMapiv(GL_MAP1_INDEX, GL_DOMAIN)), "", {}, 2, {order(GL_MAP1_INDEX)}},
        {RULE(__glsSize_glGetMapdv(C4, GL_COEFF)), "", {{C4, GL_ORDER, {3, 2}}}, 24, {order(C4)}},
        {RULE(__glsSize_glGetMapiv(C4, GL_DOMAIN)), "", {}, 4, {order(C4)}},
        {RULE(__glsSize_glGetMap(C4, GL_DOMAIN)), "", {{C4, GL_ORDER, {3, -1}}}, 0, {order(C4)}},
        {RULE(__glsSize_glGetMap(V3, GL_ORDER)), "", {{V3, GL_ORDER, {-1}}}, 0, {order(V3)}},
        {RULE(__glsSize_glGetMap(V4, GL_COEFF)), "", {}, 0, {order(V4)}},
        {RULE(__glsSize_glGetMap(V4, GL_COEFF)), "", {{V4, GL_ORDER, {0x7FFFFFFF, 0x7FFFFFFF}}}, 0,
         {order(V4)}},
        {RULE(__glsSize_glGetMap(V3, V3)), "", {{V3, GL_ORDER, {4}}}, 0, {order(V3)}},
        {RULE(__glsSize_glGetMap(GL_TEXTURE_2D, GL_COEFF)), "", {}, 0, {}},
        {RULE(__glsSize_glGetPixelMapfv(GL_PIXEL_MAP_I_TO_I)), "",
         {{0, GL_PIXEL_MAP_I_TO_I_SIZE, {7}}}, 7,
         {question("Integer", 0, GL_PIXEL_MAP_I_TO_I_SIZE)}},
        {RULE(__glsSize_glGetPixelMapuiv(GL_PIXEL_MAP_I_TO_G)), "",
         {{0, GL_PIXEL_MAP_I_TO_G_SIZE, {32}}, {0, GL_PIXEL_MAP_I_TO_R_SIZE, {8}}}, 32,
         {question("Integer", 0, GL_PIXEL_MAP_I_TO_G_SIZE)}},
        {RULE(__glsSize_glGetPixelMapusv(GL_PIXEL_MAP_A_TO_A)), "",
         {{0, GL_PIXEL_MAP_A_TO_A_SIZE, {2}}}, 2,
         {question("Integer", 0, GL_PIXEL_MAP_A_TO_A_SIZE)}},
        {RULE(__glsSize_glGetPixelMap(GL_PIXEL_MAP_I_TO_I - 1)), "", {}, 0, {}},
        {RULE(__glsSize_glGetPixelMap(GL_PIXEL_MAP_A_TO_A + 1)), "", {}, 0, {}},
    });
    // clang-format on
}

// Without a current GLS context there is no bracket to ask the GL in.
TEST_F(SizeQueries, NoContextAsksNothing) {
    answers = {{T2, W, {4}}, {GL_HISTOGRAM, GL_HISTOGRAM_WIDTH, {4}}, {C1, CW, {4}}};
    glsContext(0);
    EXPECT_EQ(0, __glsSize_glGetTexImage(T2, 0, GL_RGBA, UB));
    EXPECT_EQ(0, __glsSize_glGetConvolutionFilter(C1, GL_RGBA, GL_FLOAT));
    EXPECT_EQ(0, __glsSize_glGetSeparableFilter_row(S2, GL_RGBA, GL_FLOAT));
    EXPECT_EQ(0, __glsSize_glGetSeparableFilter_column(S2, GL_RGBA, GL_FLOAT));
    EXPECT_EQ(0, __glsSize_glGetHistogram(GL_HISTOGRAM, GL_RGBA, GL_FLOAT));
    EXPECT_EQ(0, __glsSize_glGetColorTable(GL_COLOR_TABLE, GL_RGBA, GL_FLOAT));
    EXPECT_EQ(0, __glsSize_glGetMap(GL_MAP1_VERTEX_3, GL_ORDER));
    EXPECT_EQ(0, __glsSize_glGetPixelMap(GL_PIXEL_MAP_I_TO_I));
    EXPECT_TRUE(asked.empty());
}

}  // namespace
