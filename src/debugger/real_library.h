// Entry points of the system OpenGL library, found by name.
#pragma once

// The procedure `name` of the system opengl32.dll. A missing one ends the
// process with status 1: the entry point could not do its work.
void *realOpenGLProc(const char *name);
