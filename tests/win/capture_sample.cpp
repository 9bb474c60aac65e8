// Captures the spinning-quads sample in text form on a real GL under Wine.
// The program links the GLS core statically, so the sample's gl calls land in
// the core's entry points and, while a capture is open, in the capture
// functions, which execute them on the system GL and write them as text.
// It draws the sample twice in one process, each time in a fresh GL context:
// first plainly, then captured with every GL command executed and written.
// It checks that both runs read back the same pixels, and that the text of
// the sample's second frame equals the golden text named by its argument,
// once pointer values are masked (they differ between runs and builds).
// The whole capture and the masked frame are left in the working directory.
#include "spinning_quads_draw.h"

#include <ctype.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "api/api.h"
#include "read_file.h"
#include "sink.h"

// The frame whose text is compared: the second, the first with a rotation.
static const int kGoldenFrame = 1;

static int failures = 0;

static void fail(const char *what) {
    fprintf(stderr, "capture_sample: %s\n", what);
    ++failures;
}

// Draws the sample's frames in a new GL context of dc and reads the last one
// back. When capturing, frameEnds[i] is the length of the text once frame i
// is written (frameEnds[0] the length before the first frame).
static bool drawSample(HDC dc, bool capture, unsigned char *pixels, size_t *frameEnds) {
    HGLRC rc = wglCreateContext(dc);
    if (!rc || !wglMakeCurrent(dc, rc)) {
        fail("no GL context");
        return false;
    }
    GLuint gls = 0;
    if (capture) {
        gls = glsGenContext();
        glsContext(gls);
        glsWriteFunc(Sink::write);
        // Non-client commands are only written by default; the sample must
        // still draw, so every GL command is executed as well.
        const GLSopcode *opcodes = glsGetOpcodes(GLS_API_GL);
        for (GLint i = 0; i < glsGetOpcodeCount(GLS_API_GL); ++i) {
            glsCaptureFlags(opcodes[i], 3);
        }
        if (!glsBeginCapture((const GLubyte *)"", GLS_TEXT, 0)) fail("the capture did not begin");
    }
    unsigned backdrop = sampleSetUp();
    if (capture) {
        glsFlush();
        frameEnds[0] = Sink::out.size();
    }
    for (int frame = 0; frame < kSampleFrames; ++frame) {
        sampleDrawFrame(backdrop, frame);
        if (capture) {
            glsFlush();
            frameEnds[frame + 1] = Sink::out.size();
        }
        if (frame + 1 < kSampleFrames) SwapBuffers(dc);
    }
    unsigned error = sampleReadPixels(pixels);
    if (error != 0) fail(capture ? "GL error in the captured run" : "GL error in the plain run");
    if (capture) {
        glsEndCapture();
        if (glsGetError() != GLS_NONE) fail("the capture raised a GLS error");
        glsContext(0);
        glsDeleteContext(gls);
    }
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(rc);
    return true;
}

// Replaces every hexadecimal value by one token. In the sample's text the
// hexadecimal values are the client-array and output pointers.
static std::string maskPointers(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "0x") == 0 && i + 2 < text.size() && isxdigit((unsigned char)text[i + 2])) {
            out += "0xPOINTER";
            i += 2;
            while (i < text.size() && isxdigit((unsigned char)text[i])) ++i;
        } else {
            out += text[i++];
        }
    }
    return out;
}

static void writeFile(const char *path, const std::string &text) {
    FILE *out = fopen(path, "wb");
    if (!out) return;
    fwrite(text.data(), 1, text.size(), out);
    fclose(out);
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: capture_sample golden-frame.gls\n");
        return 2;
    }
    if (!__glsProcessAttach(nullptr, 1, nullptr)) {
        fprintf(stderr, "capture_sample: the GLS core did not start\n");
        return 2;
    }
    HWND wnd = sampleCreateWindow();
    HDC dc = GetDC(wnd);
    if (!wnd || !dc || !sampleSetPixelFormat(dc)) {
        fprintf(stderr, "capture_sample: no pixel format\n");
        return 2;
    }

    std::vector<unsigned char> plain(kSampleWidth * kSampleHeight * 3);
    std::vector<unsigned char> traced(plain.size());
    size_t frameEnds[kSampleFrames + 1] = {};
    if (!drawSample(dc, false, plain.data(), frameEnds) ||
        !drawSample(dc, true, traced.data(), frameEnds)) {
        return 2;
    }

    size_t lit = 0;
    for (unsigned char byte : plain) lit += byte != 0;
    if (lit == 0) fail("the plain run drew nothing");
    if (plain != traced) fail("the captured run read back other pixels than the plain run");

    writeFile("capture_sample.gls", Sink::out);
    std::string frame = maskPointers(Sink::out.substr(
        frameEnds[kGoldenFrame], frameEnds[kGoldenFrame + 1] - frameEnds[kGoldenFrame]));
    writeFile("capture_sample_frame.gls", frame);
    std::string golden;
    if (!readFile(argv[1], &golden)) {
        fail("the golden frame cannot be read");
    } else if (frame != golden) {
        fail("the captured frame differs from the golden text (see capture_sample_frame.gls)");
        fprintf(stderr, "--- captured frame\n%s--- golden\n%s", frame.c_str(), golden.c_str());
    }
    printf("capture_sample: %zu non-zero bytes, %zu bytes of text, frame %d has %zu bytes\n", lit,
           Sink::out.size(), kGoldenFrame, frame.size());

    ReleaseDC(wnd, dc);
    DestroyWindow(wnd);
    __glsProcessDetach(nullptr, 0, nullptr);
    return failures ? 1 : 0;
}
