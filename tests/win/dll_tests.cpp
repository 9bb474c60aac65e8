// palisade.dll loaded as a program loads it: every export is there, and with
// no GLS context a call ends in the system library with its values intact.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "gl_window.h"

namespace {

HMODULE systemOpenGL() {
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, MAX_PATH);
    lstrcpyA(path + n, "\\opengl32.dll");
    return LoadLibraryA(path);
}

// A window with a current GL context made through the system library.
class Window : public ::testing::Test {
protected:
    HMODULE real = systemOpenGL();
    HMODULE ours = LoadLibraryA("palisade.dll");
    HWND wnd = nullptr;
    HDC dc = nullptr;
    HGLRC rc = nullptr;

    template <typename F>
    F realProc(const char *name) { return (F)GetProcAddress(real, name); }
    template <typename F>
    F ourProc(const char *name) { return (F)GetProcAddress(ours, name); }

    void SetUp() override {
        ASSERT_TRUE(real);
        ASSERT_TRUE(ours);
        wnd = gl_window("dll_tests", &dc);
        rc = realProc<HGLRC(WINAPI *)(HDC)>("wglCreateContext")(dc);
        ASSERT_TRUE(rc);
        ASSERT_TRUE(realProc<BOOL(WINAPI *)(HDC, HGLRC)>("wglMakeCurrent")(dc, rc));
    }
    void TearDown() override {
        realProc<BOOL(WINAPI *)(HDC, HGLRC)>("wglMakeCurrent")(nullptr, nullptr);
        realProc<BOOL(WINAPI *)(HGLRC)>("wglDeleteContext")(rc);
        ReleaseDC(wnd, dc);
        DestroyWindow(wnd);
    }
};

TEST_F(Window, CallsReachTheSystemLibraryUnchanged) {
    ourProc<void(WINAPI *)(GLclampf, GLclampf, GLclampf, GLclampf)>("glClearColor")(0.25f, 0.5f, 0.75f, 1.0f);
    GLfloat clear[4] = {};
    realProc<void(WINAPI *)(GLenum, GLfloat *)>("glGetFloatv")(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(0.25f, clear[0]);
    EXPECT_FLOAT_EQ(0.5f, clear[1]);
    EXPECT_FLOAT_EQ(0.75f, clear[2]);
    EXPECT_FLOAT_EQ(1.0f, clear[3]);

    // A scalar form arrives as its vector form with the same values.
    ourProc<void(WINAPI *)(GLdouble, GLdouble, GLdouble)>("glColor3d")(0.5, 0.25, 1.0);
    GLfloat color[4] = {};
    realProc<void(WINAPI *)(GLenum, GLfloat *)>("glGetFloatv")(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(0.5f, color[0]);
    EXPECT_FLOAT_EQ(0.25f, color[1]);
    EXPECT_FLOAT_EQ(1.0f, color[2]);

    // An error left by a bad call is read back unchanged.
    ourProc<void(WINAPI *)(GLenum)>("glEnable")(0xFFFF);
    EXPECT_EQ((GLenum)GL_INVALID_ENUM, ourProc<GLenum(WINAPI *)(void)>("glGetError")());
    EXPECT_EQ((GLenum)GL_NO_ERROR, ourProc<GLenum(WINAPI *)(void)>("glGetError")());

    const GLubyte *(WINAPI *getString)(GLenum) = ourProc<const GLubyte *(WINAPI *)(GLenum)>("glGetString");
    EXPECT_EQ(realProc<const GLubyte *(WINAPI *)(GLenum)>("glGetString")(GL_VERSION), getString(GL_VERSION));
}

TEST_F(Window, ForwardedTextureCommandsWork) {
    GLuint texture = 0;
    ourProc<void(WINAPI *)(GLsizei, GLuint *)>("glGenTextures")(1, &texture);
    ASSERT_NE(0u, texture);
    ourProc<void(WINAPI *)(GLenum, GLuint)>("glBindTexture")(GL_TEXTURE_2D, texture);
    EXPECT_EQ(GL_TRUE, ourProc<GLboolean(WINAPI *)(GLuint)>("glIsTexture")(texture));
    GLint bound = 0;
    realProc<void(WINAPI *)(GLenum, GLint *)>("glGetIntegerv")(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ((GLint)texture, bound);
}

}  // namespace
