// The text that capture writes for the commands whose records are not a plain
// list of scalars: the image commands with their pixel data, the evaluator
// maps with their control points, glBegin, glCallLists and the draws. Each is
// called once through its exported entry point while a text capture is open,
// and the whole stream must equal tests/golden/irregular.gls byte for byte.
// These commands write their data in full and no pointer value, so nothing in
// the text depends on where the arrays lie (the bitmap bytes are hexadecimal
// and must not be mistaken for addresses).
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>

#include "api/api.h"
#include "context_test.h"
#include "gls_entry.h"
#include "read_file.h"
#include "sink.h"

namespace {

// The golden file lies beside this source, whatever the working directory.
std::string goldenPath() {
    std::string here = __FILE__;
    size_t slash = here.find_last_of("/\\");
    return here.substr(0, slash + 1) + "../golden/irregular.gls";
}

class CaptureGolden : public GlsContextTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GlsContextTest::SetUp());
        glsWriteFunc(Sink::write);
        // Written only: no GL stands behind the test, and the pixel-store
        // state the images are read with is the context's own default.
        const GLSopcode *opcodes = glsGetOpcodes(GLS_API_GL);
        for (GLint i = 0; i < glsGetOpcodeCount(GLS_API_GL); ++i) glsCaptureFlags(opcodes[i], 2);
    }
};

}  // namespace

TEST_F(CaptureGolden, IrregularCommandsWriteTheGoldenText) {
    // Rows of pixel data are padded to the default unpack alignment of 4.
    static const GLubyte bitmap[8] = {0xF0, 0, 0, 0, 0x0F, 0, 0, 0};  // 8 x 2 bits
    GLubyte stipple[128];
    for (int i = 0; i < 128; ++i) stipple[i] = (GLubyte)(i % 4 == 0 ? 0xAA : i % 4 == 1 ? 0x55 : i);
    GLubyte rgba[16];
    for (int i = 0; i < 16; ++i) rgba[i] = (GLubyte)(i * 16 + 1);
    static const GLfloat rgbaFloat[16] = {0, 0.25f, 0.5f, 1, 1, 0.5f, 0.25f, 0,
                                          -1, 2, 0.125f, 100, 1e-5f, 3, 0, 1};
    static const GLushort luminance[8] = {1, 0, 2, 0, 65535, 0, 40000, 0};  // 1 x 2 x 2
    static const GLfloat row[3] = {0.25f, 0.5f, 0.25f};
    static const GLfloat column[2] = {1, -1};
    static const GLubyte lists[4] = {1, 2, 3, 255};
    static const GLuint indices[4] = {0, 1, 1, 2};
    static const GLfloat points1[8] = {0, 0, 0, 99, 1, 2, 3, 99};  // stride 4, 3 used
    static const GLdouble colors1[8] = {1, 0, 0, 1, 0, 0.5, 1, 1};
    static const GLfloat points2[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    static const GLdouble points3[12] = {-1, -1, 0, 1, -1, 0, -1, 1, 0.5, 1, 1, 0.5};

    ASSERT_TRUE(glsBeginCapture((const GLubyte *)"", GLS_TEXT, 0));
    glBegin(GL_TRIANGLE_STRIP);
    glEnd();
    glCallLists(4, GL_UNSIGNED_BYTE, lists);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glDrawElements(GL_LINES, 4, GL_UNSIGNED_INT, indices);
    glArrayElement(5);
    glMap1f(GL_MAP1_VERTEX_3, 0, 1, 4, 2, points1);
    glMap1d(GL_MAP1_COLOR_4, 0, 1, 4, 2, colors1);
    glMap2f(GL_MAP2_TEXTURE_COORD_2, 0, 1, 2, 2, 0, 1, 4, 2, points2);
    glMap2d(GL_MAP2_VERTEX_3, -1, 1, 3, 2, 0, 2, 6, 2, points3);
    glBitmap(8, 2, 0, 0, 8, 0, bitmap);
    glPolygonStipple(stipple);
    glDrawPixels(2, 2, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 2, 2, 0, GL_RGBA, GL_FLOAT, rgbaFloat);
    glTexImage2D(GL_TEXTURE_2D, 1, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexImage3D(GL_TEXTURE_3D, 0, GL_LUMINANCE, 1, 2, 2, 0, GL_LUMINANCE, GL_UNSIGNED_SHORT,
                 luminance);
    glTexSubImage1D(GL_TEXTURE_1D, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgba);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 1, 1, 2, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glTexSubImage3D(GL_TEXTURE_3D, 0, 0, 0, 1, 1, 1, 2, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glColorTable(GL_COLOR_TABLE, GL_RGB, 4, GL_RGB, GL_UNSIGNED_BYTE, rgba);
    glConvolutionFilter1D(GL_CONVOLUTION_1D, GL_LUMINANCE, 3, GL_LUMINANCE, GL_FLOAT, row);
    glConvolutionFilter2D(GL_CONVOLUTION_2D, GL_RGBA, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glSeparableFilter2D(GL_SEPARABLE_2D, GL_LUMINANCE, 3, 2, GL_LUMINANCE, GL_FLOAT, row, column);
    glsEndCapture();
    EXPECT_EQ((GLSenum)GLS_NONE, glsGetError());

    std::string golden;
    ASSERT_TRUE(readFile(goldenPath(), &golden)) << goldenPath();
    if (Sink::out != golden) {
        // Left in the working directory to compare with, or to take over.
        FILE *out = fopen("irregular.gls", "wb");
        if (out) {
            fwrite(Sink::out.data(), 1, Sink::out.size(), out);
            fclose(out);
        }
    }
    EXPECT_EQ(golden, Sink::out);
}
