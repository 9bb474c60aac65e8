// A GLS context of the test's own: generated and made current before the
// test, and let go of after it, so that no test sees another's context or a
// GLS error left pending by another.
#pragma once

#include <gtest/gtest.h>

#include "api/api.h"
#include "core/context.h"

class GlsContextTest : public ::testing::Test {
protected:
    // endsWithoutError: the test is also expected to leave no GLS error
    // pending once its context is gone.
    explicit GlsContextTest(bool endsWithoutError = false) : endsWithoutError(endsWithoutError) {}

    // A fixture with set-up of its own calls these around it, in
    // ASSERT_NO_FATAL_FAILURE so that it stops when there is no context.
    void SetUp() override;
    void TearDown() override;

    // The thread's current context: the test's own unless it switched.
    __GLScontext *ctx() { return __glsGetContext(); }

    GLuint name = 0;  // the test's context; a test that replaces it updates this

private:
    const bool endsWithoutError;
};
