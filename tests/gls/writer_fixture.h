// A writer under test writes through the context's write function into a
// string, on a GLS context current for the test.
#pragma once

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "api/api.h"
#include "context_test.h"
#include "sink.h"
#include "write/writer.h"
#include "write/writer_context.h"

class WriterTest : public GlsContextTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GlsContextTest::SetUp());
        ctx()->writeFunc = Sink::write;
        glsGetError();
    }
    void TearDown() override {
        __glsWriterDestroy(w);
        GlsContextTest::TearDown();
    }
    // A writer on the write function, framed unless flags say otherwise.
    __GLSwriter *open(GLSenum type, GLuint flags = 0) {
        w = __glsWriterCreate((const GLubyte *)"", type, flags);
        return w;
    }
    // Ends the capture and gives what reached the write function.
    std::string close() {
        w = __glsWriterDestroy(w);
        return Sink::out;
    }
    __GLSwriter *w = nullptr;
};

inline GLuint floatBits(float f) {
    GLuint b;
    memcpy(&b, &f, 4);
    return b;
}

inline GLulong doubleBits(double d) {
    GLulong b;
    memcpy(&b, &d, 8);
    return b;
}
