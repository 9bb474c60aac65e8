// The opcode space, the null command functions and what process attach leaves
// behind, on the library's own objects.
#include <gtest/gtest.h>
#include <string.h>

#include "core/context.h"
#include "core/opcodes.h"
#include "read/decode.h"
#include "support.h"

TEST(Opcodes, OnlyNamedOpcodesAreValid) {
    const GLSopcode invalid[] = {-1, 0, 1, 10, 15, 46, 47, 280, 287, 352, 358, 366, 374, 377, 495, 496, 100000};
    for (GLSopcode op : invalid) {
        glsGetError();
        EXPECT_FALSE(__glsValidOpcode(op)) << op;
        EXPECT_EQ((GLSenum)GLS_UNSUPPORTED_COMMAND, glsGetError()) << op;
    }
    const GLSopcode valid[] = {16, 45, 48, 279, 288, 351, 359, 365, 375, 376};
    for (GLSopcode op : valid) {
        EXPECT_TRUE(__glsValidOpcode(op)) << op;
        EXPECT_EQ(0u, glsGetError()) << op;
    }
}

TEST(Opcodes, ListsAndAliasesAgreeWithTheNames) {
    int gls = 0, gl = 0;
    for (const GLSopcode *op = __glsOpcodesGLS; *op; ++op, ++gls) ASSERT_TRUE(__glsOpNames[*op]);
    for (const GLSopcode *op = __glsOpcodesGL; *op; ++op, ++gl) {
        ASSERT_TRUE(__glsOpNames[*op]);
        if (gl) {
            EXPECT_LT(op[-1], op[0]);
        }
    }
    EXPECT_EQ(__GLS_OPCODES_GLS_COUNT, gls);
    EXPECT_EQ(__GLS_OPCODES_GL_COUNT, gl);
    for (const __GLSopAlias &alias : __glsOpAliases) {
        const char *name = __glsOpNames[alias.opcode];
        ASSERT_TRUE(name) << alias.name;
        // Every alias is its command's name with a vendor suffix.
        EXPECT_EQ(0, strncmp(alias.name, name, strlen(name) - (alias.opcode >= 375 ? 3 : 0)))
            << alias.name;
    }
    EXPECT_EQ(5, __glsOpAttributes[__GLS_OP_glGetError]);
    EXPECT_EQ(3, __glsOpAttributes[__GLS_OP_glPopClientAttrib]);
    EXPECT_EQ(6, __glsOpAttributes[__GLS_OP_glGetPointerv]);
}

TEST(NullFunctions, DoNothingAndAnswerZero) {
    const __GLSfunc *null = __glsNullCommandFuncs;
    EXPECT_EQ(0u, __GLS_SLOT(null, glGenLists)(5));
    EXPECT_EQ(0, __GLS_SLOT(null, glRenderMode)(GL_SELECT));
    EXPECT_EQ(0u, __GLS_SLOT(null, glGetError)());
    EXPECT_EQ(nullptr, __GLS_SLOT(null, glGetString)(GL_VENDOR));
    EXPECT_EQ(GL_FALSE, __GLS_SLOT(null, glIsEnabled)(GL_BLEND));
    EXPECT_EQ(GL_FALSE, __GLS_SLOT(null, glIsList)(1));
    EXPECT_EQ(GL_FALSE, __GLS_SLOT(null, glIsTexture)(1));
    GLuint names[2] = {1, 2};
    GLboolean resident[2] = {7, 7};
    EXPECT_EQ(GL_FALSE, __GLS_SLOT(null, glAreTexturesResident)(2, names, resident));
    EXPECT_EQ(7, resident[0]);
    EXPECT_EQ(0u, __GLS_SLOT(null, glsCallStream)((const GLubyte *)"stream"));
    for (int op = 0; op < GLS_OP_COUNT; ++op) {
        EXPECT_EQ(__glsOpNames[op] != nullptr, __glsNullCommandFunc(op) != nullptr) << op;
    }
}

TEST(Startup, EveryGLSlotIsCallableAndMissingProceduresGetTheirNullFunction) {
    for (const GLSopcode *op = __glsOpcodesGL; *op; ++op) {
        EXPECT_TRUE(__glsDefaultDispatchTable[*op]) << __glsOpNames[*op];
    }
    // The system library exports none of the colour-table or point-parameter
    // extension procedures by these names.
    EXPECT_EQ(__glsNullCommandFuncs[__GLS_OP_glColorTable], __glsDefaultDispatchTable[__GLS_OP_glColorTable]);
    EXPECT_EQ(__glsNullCommandFuncs[__GLS_OP_glPointParameterfvEXT],
              __glsDefaultDispatchTable[__GLS_OP_glPointParameterfvEXT]);
    // ... but does export glGetError, whose result comes back unchanged.
    EXPECT_NE(__glsNullCommandFuncs[__GLS_OP_glGetError], __glsDefaultDispatchTable[__GLS_OP_glGetError]);
#if !defined(_WIN32)
    EXPECT_EQ(0x0502u, __GLS_SLOT(__glsDefaultDispatchTable, glGetError)());
#endif
}

TEST(Startup, ArgumentlessCommandsDecodeAlikeInBothByteOrders) {
    int noArgs = 0;
    for (int op = 0; op < GLS_OP_COUNT; ++op) {
        if (__glsOpAttributes[op] & 1) {
            ++noArgs;
            ASSERT_TRUE(__glsDispatchDecode_bin_swap[op]) << op;
            EXPECT_EQ(__glsDispatchDecode_bin_swap[op], __glsDispatchDecode_bin_default[op]) << op;
        }
    }
    EXPECT_EQ(16, noArgs);
    // The compact glBegin forms decode natively only.
    for (int op = 1; op <= 10; ++op) {
        EXPECT_TRUE(__glsDispatchDecode_bin_default[op]);
        EXPECT_FALSE(__glsDispatchDecode_bin_swap[op]);
    }
}

TEST(Startup, HookIsToldOfTheLoadOnlyWhenTheCoreStands) {
    EXPECT_EQ(1, hookCalls);
    EXPECT_EQ(1ul, hookLastReason);
    EXPECT_TRUE(hookCoreStood);

    const char *saved = __glsSystemLibraryName;
    __glsSystemLibraryName = "no-such-opengl.dll";
    testing::internal::CaptureStderr();
    int result = __glsProcessAttach(nullptr, 1, nullptr);
    std::string message = testing::internal::GetCapturedStderr();
    __glsSystemLibraryName = saved;

    EXPECT_EQ(0, result);
    EXPECT_EQ("GLS fatal: LoadLibrary failed on no-such-opengl.dll\n", message);
    EXPECT_EQ(1, hookCalls);
}

// The engine ends its histories on the unload, writing through the core's
// contexts: it is told before they go.
TEST(Startup, HookIsToldOfTheUnloadWhileTheCoreStands) {
    const int calls = hookCalls;
    __glsProcessDetach(nullptr, 0, nullptr);
    EXPECT_EQ(calls + 1, hookCalls);
    EXPECT_EQ(0ul, hookLastReason);
    EXPECT_TRUE(hookCoreStood);
    EXPECT_FALSE(__glsSystemLibrary);
    // Loaded again, the core stands for the tests that follow.
    ASSERT_EQ(1, __glsProcessAttach(nullptr, 1, nullptr));
    EXPECT_EQ(calls + 2, hookCalls);
    EXPECT_EQ(1ul, hookLastReason);
}
