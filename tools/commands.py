# The one table of commands: what is ours per GLS opcode.
#
# Each line is one opcode: its number (fixed by the stream formats), its
# command name, and where it differs from the plain case:
#   entry=  how the exported library reaches it (GL opcodes only):
#           STUB      an exported dispatch stub of that name
#           FORWARD   an internal entry point (named by the alias when there is
#                     one) behind an exported forwarder of the command's name
#           INTERNAL  an internal entry point only; its forwarder, if any, is
#                     not exported
#   attrs=  NOARGS (no arguments), CLIENT (client-side state or memory),
#           GET (hands GL state or pixels back to the caller)
#   alias=  the second name under which GLS text may name the command
#   sig=    the C prototype, for the GLS commands (the registry knows only GL)
#   args=   the roles of the parameters whose record departs from the derived
#           one (below), by parameter name
#   hand=   the steps of the generated functions written by hand, each the
#           one step the table cannot say (named below where it is used):
#           WRITE   the capture write step (src/gls/capture/capture_special.cpp)
#           DECODE  the native decoder (src/gls/read/decode_special.cpp)
#           EXPAND  a vertex-array expander that may take the captured call
#                   over (src/gls/capture/vertex_arrays.cpp); glBegin's only
#                   asks the GL for the arrays its elements draw from
#
# The capture record of a command (what its capture function writes) is
# derived parameter by parameter, in order, from the C type:
#   GLenum putGLenum 4, GLint and GLsizei putGLint 4, GLuint putGLuint 4,
#   GLfloat putGLfloat 4, GLdouble putGLdouble 8, GLboolean putGLboolean 1,
#   GLSenum putGLSenum 4, GLSopcode putGLSopcode 4, GLlong putGLlong 8;
#   an output pointer (not const) putOutArg 8, numbered 0, 1, 2 in order;
#   a const array by the registry's len attribute: "4" a fixed count, a
#   parameter name a count of max(that, 0), COMPSIZE(a, b) the count
#   __glsSize_<command>(a, b); in a GLS command a const GLubyte * is a
#   string (putString), any other array is counted by inCount;
#   the array slot by the element type (putGLfloatv 4 a value, ...).
# Roles, where that is not what is written (words in put order):
#   value           the derived put (to place a pad before or after it)
#   orenum          the OrEnum form of the value or array slot, with pname
#   umask           a GLuint bit mask, putGLuintHex 4
#   stipple         the GLushort pattern, putGLushortHex 2
#   blend, stencilop, drawbuffer   putBlendFactor, putStencilOp, putDrawBuffer 4
#   mask(clear), mask(attrib), mask(clientAttrib)   the GLbitfield slots 4
#   enum            a GLint that names an enumerant, putGLenum 4
#   matrix          a 16-value matrix, putGLfloatMatrix 64, putGLdoubleMatrix 128
#   arrayptr        a client array pointer's value, putArrayPointer 8
#   pad(n)          n zero bytes, padInCommand
#   size(a, ..)     an array of __glsSize_<command>(a, ..) values
#   headerint(a)    the glsHeaderi value, putGLintOrGLSenum with attribute a
#   vertexdata(f, n)   __glsSize_<command>(f, n) bytes, putVertexArrayData
#   image(format, type, width, height, depth[, null])   an image: the
#                   record starts with the image-flags word (GLS_IMAGE_NULL_BIT
#                   for a null pointer when "null" is given, else 0) and the
#                   bulk break, the other arguments follow, the pixels come
#                   last through the pixel put, __glsSize_<command> bytes of
#                   the arguments among format, type and extents and the
#                   pointer (0 for a null pointer); a command of two images
#                   sizes each by __glsSize_<command>_<parameter>
#   lists(n, type)  the glCallLists names, __glsSize_<command>(n, type) bytes,
#                   __glsWriterPutIndexArray
#   indices(count, type)   the glDrawElements indices, __glsSize_<command>(count,
#                   type) bytes, __glsWriterPutIndices; its write step puts the
#                   offset in their place while an element array buffer is bound
# and, with a hand-written write step and decoder only:
#   points(k...)    the evaluator control points, packed to k values a point
# Every command with an 8-byte value first aligns the record (alignCommand)
# on the parity of the 4-byte words before the first 8-byte value.
#
# C signatures of GL commands and enumerant values come from the Khronos
# registry; the generators fail when a name here is missing there.

NOARGS, CLIENT, GET = 1, 2, 4
STUB, FORWARD, INTERNAL = "stub", "forward", "internal"
WRITE, DECODE, EXPAND = 1, 2, 4

COMMANDS = []


def cmd(op, name, entry=None, attrs=0, alias=None, sig=None, args=None, hand=0):
    COMMANDS.append(dict(op=op, name=name, entry=entry, attrs=attrs, alias=alias, sig=sig,
                         args=args or {}, hand=hand))


# GLS commands, 16-45. Strings are zero-terminated in the context's
# character type; GLSenum and GLSopcode are 32-bit.
cmd(16, "glsBeginGLS", sig="void glsBeginGLS(GLint inVersionMajor, GLint inVersionMinor)")
cmd(17, "glsBlock", sig="void glsBlock(GLSenum inBlockType)")
cmd(18, "glsCallStream", sig="GLSenum glsCallStream(const GLubyte *inName)")
cmd(19, "glsDrawVertexArray", sig="void glsDrawVertexArray(GLenum inMode, GLenum inFormat, GLint inCount, const GLvoid *inData)", args=dict(inData="vertexdata(inFormat, inCount)"))
cmd(20, "glsEndGLS", attrs=NOARGS, sig="void glsEndGLS(void)")
cmd(21, "glsError", sig="void glsError(GLSopcode inOpcode, GLSenum inError)")
cmd(22, "glsHeaderc", sig="void glsHeaderc(GLSenum inAttrib, const GLubyte *inString)")
cmd(23, "glsHeaderf", sig="void glsHeaderf(GLSenum inAttrib, GLfloat inVal)")
cmd(24, "glsHeaderfv", sig="void glsHeaderfv(GLSenum inAttrib, const GLfloat *inVec)", args=dict(inVec="size(inAttrib)"))
cmd(25, "glsHeaderi", sig="void glsHeaderi(GLSenum inAttrib, GLint inVal)", args=dict(inVal="headerint(inAttrib)"))
cmd(26, "glsHeaderiv", sig="void glsHeaderiv(GLSenum inAttrib, const GLint *inVec)", args=dict(inVec="size(inAttrib)"))
cmd(27, "glsRequireExtension", sig="void glsRequireExtension(const GLubyte *inExtension)")
cmd(28, "glsRequireVersion", sig="void glsRequireVersion(GLSenum inAPI, GLint inVersionMajor, GLint inVersionMinor)")
cmd(29, "glsUnsupportedCommand", sig="void glsUnsupportedCommand(const GLubyte *inCommand)")
cmd(30, "glsBeginObj", sig="void glsBeginObj(const GLubyte *inTag)")
cmd(31, "glsComment", sig="void glsComment(const GLubyte *inComment)")
cmd(32, "glsEndObj", attrs=NOARGS, sig="void glsEndObj(void)")
cmd(33, "glsNumbv", sig="void glsNumbv(const GLubyte *inTag, GLint inCount, const GLbyte *inVec)")
cmd(34, "glsNumd", sig="void glsNumd(const GLubyte *inTag, GLdouble inVal)")
cmd(35, "glsNumdv", sig="void glsNumdv(const GLubyte *inTag, GLint inCount, const GLdouble *inVec)")
cmd(36, "glsNumf", sig="void glsNumf(const GLubyte *inTag, GLfloat inVal)")
cmd(37, "glsNumfv", sig="void glsNumfv(const GLubyte *inTag, GLint inCount, const GLfloat *inVec)")
cmd(38, "glsNumi", sig="void glsNumi(const GLubyte *inTag, GLint inVal)")
cmd(39, "glsNumiv", sig="void glsNumiv(const GLubyte *inTag, GLint inCount, const GLint *inVec)")
cmd(40, "glsNuml", sig="void glsNuml(const GLubyte *inTag, GLlong inVal)")
cmd(41, "glsNumlv", sig="void glsNumlv(const GLubyte *inTag, GLint inCount, const GLlong *inVec)")
cmd(42, "glsNumsv", sig="void glsNumsv(const GLubyte *inTag, GLint inCount, const GLshort *inVec)")
cmd(43, "glsPad", attrs=NOARGS, sig="void glsPad(void)")
cmd(44, "glsString", sig="void glsString(const GLubyte *inTag, const GLubyte *inString)")
cmd(45, "glsSwapBuffers", attrs=NOARGS, sig="void glsSwapBuffers(void)")

# OpenGL 1.0, 48-279: per-vertex commands only in their vector forms.
cmd(48, "glNewList", entry=STUB)
cmd(49, "glEndList", entry=STUB, attrs=NOARGS)
cmd(50, "glCallList", entry=STUB)
cmd(51, "glCallLists", entry=STUB, args=dict(lists="lists(n, type)"))
cmd(52, "glDeleteLists", entry=STUB)
cmd(53, "glGenLists", entry=STUB)
cmd(54, "glListBase", entry=STUB)
# In a context stream glBegin of GL_POINTS to GL_POLYGON takes the short,
# argumentless opcodes 1 to 10, chosen by the writer of the call.
cmd(55, "glBegin", entry=STUB, hand=WRITE | EXPAND)
cmd(56, "glBitmap", entry=STUB, args=dict(bitmap="image(GL_COLOR_INDEX, GL_BITMAP, width, height, 0)"))
cmd(57, "glColor3bv", entry=STUB)
cmd(58, "glColor3dv", entry=STUB)
cmd(59, "glColor3fv", entry=STUB)
cmd(60, "glColor3iv", entry=STUB)
cmd(61, "glColor3sv", entry=STUB)
cmd(62, "glColor3ubv", entry=STUB)
cmd(63, "glColor3uiv", entry=STUB)
cmd(64, "glColor3usv", entry=STUB)
cmd(65, "glColor4bv", entry=STUB)
cmd(66, "glColor4dv", entry=STUB)
cmd(67, "glColor4fv", entry=STUB)
cmd(68, "glColor4iv", entry=STUB)
cmd(69, "glColor4sv", entry=STUB)
cmd(70, "glColor4ubv", entry=STUB)
cmd(71, "glColor4uiv", entry=STUB)
cmd(72, "glColor4usv", entry=STUB)
cmd(73, "glEdgeFlagv", entry=STUB)
cmd(74, "glEnd", entry=STUB, attrs=NOARGS)
cmd(75, "glIndexdv", entry=STUB)
cmd(76, "glIndexfv", entry=STUB)
cmd(77, "glIndexiv", entry=STUB)
cmd(78, "glIndexsv", entry=STUB)
cmd(79, "glNormal3bv", entry=STUB)
cmd(80, "glNormal3dv", entry=STUB)
cmd(81, "glNormal3fv", entry=STUB)
cmd(82, "glNormal3iv", entry=STUB)
cmd(83, "glNormal3sv", entry=STUB)
cmd(84, "glRasterPos2dv", entry=STUB)
cmd(85, "glRasterPos2fv", entry=STUB)
cmd(86, "glRasterPos2iv", entry=STUB)
cmd(87, "glRasterPos2sv", entry=STUB)
cmd(88, "glRasterPos3dv", entry=STUB)
cmd(89, "glRasterPos3fv", entry=STUB)
cmd(90, "glRasterPos3iv", entry=STUB)
cmd(91, "glRasterPos3sv", entry=STUB)
cmd(92, "glRasterPos4dv", entry=STUB)
cmd(93, "glRasterPos4fv", entry=STUB)
cmd(94, "glRasterPos4iv", entry=STUB)
cmd(95, "glRasterPos4sv", entry=STUB)
cmd(96, "glRectdv", entry=STUB)
cmd(97, "glRectfv", entry=STUB)
cmd(98, "glRectiv", entry=STUB)
cmd(99, "glRectsv", entry=STUB)
cmd(100, "glTexCoord1dv", entry=STUB)
cmd(101, "glTexCoord1fv", entry=STUB)
cmd(102, "glTexCoord1iv", entry=STUB)
cmd(103, "glTexCoord1sv", entry=STUB)
cmd(104, "glTexCoord2dv", entry=STUB)
cmd(105, "glTexCoord2fv", entry=STUB)
cmd(106, "glTexCoord2iv", entry=STUB)
cmd(107, "glTexCoord2sv", entry=STUB)
cmd(108, "glTexCoord3dv", entry=STUB)
cmd(109, "glTexCoord3fv", entry=STUB)
cmd(110, "glTexCoord3iv", entry=STUB)
cmd(111, "glTexCoord3sv", entry=STUB)
cmd(112, "glTexCoord4dv", entry=STUB)
cmd(113, "glTexCoord4fv", entry=STUB)
cmd(114, "glTexCoord4iv", entry=STUB)
cmd(115, "glTexCoord4sv", entry=STUB)
cmd(116, "glVertex2dv", entry=STUB)
cmd(117, "glVertex2fv", entry=STUB)
cmd(118, "glVertex2iv", entry=STUB)
cmd(119, "glVertex2sv", entry=STUB)
cmd(120, "glVertex3dv", entry=STUB)
cmd(121, "glVertex3fv", entry=STUB)
cmd(122, "glVertex3iv", entry=STUB)
cmd(123, "glVertex3sv", entry=STUB)
cmd(124, "glVertex4dv", entry=STUB)
cmd(125, "glVertex4fv", entry=STUB)
cmd(126, "glVertex4iv", entry=STUB)
cmd(127, "glVertex4sv", entry=STUB)
cmd(128, "glClipPlane", entry=STUB)
cmd(129, "glColorMaterial", entry=STUB)
cmd(130, "glCullFace", entry=STUB)
cmd(131, "glFogf", entry=STUB, args=dict(param="orenum"))
cmd(132, "glFogfv", entry=STUB, args=dict(params="orenum"))
cmd(133, "glFogi", entry=STUB, args=dict(param="orenum"))
cmd(134, "glFogiv", entry=STUB, args=dict(params="orenum"))
cmd(135, "glFrontFace", entry=STUB)
cmd(136, "glHint", entry=STUB)
cmd(137, "glLightf", entry=STUB)
cmd(138, "glLightfv", entry=STUB)
cmd(139, "glLighti", entry=STUB)
cmd(140, "glLightiv", entry=STUB)
cmd(141, "glLightModelf", entry=STUB, args=dict(param="orenum"))
cmd(142, "glLightModelfv", entry=STUB, args=dict(params="orenum"))
cmd(143, "glLightModeli", entry=STUB, args=dict(param="orenum"))
cmd(144, "glLightModeliv", entry=STUB, args=dict(params="orenum"))
cmd(145, "glLineStipple", entry=STUB, args=dict(pattern="stipple"))
cmd(146, "glLineWidth", entry=STUB)
cmd(147, "glMaterialf", entry=STUB)
cmd(148, "glMaterialfv", entry=STUB)
cmd(149, "glMateriali", entry=STUB)
cmd(150, "glMaterialiv", entry=STUB)
cmd(151, "glPointSize", entry=STUB)
cmd(152, "glPolygonMode", entry=STUB)
cmd(153, "glPolygonStipple", entry=STUB, args=dict(mask="image(GL_COLOR_INDEX, GL_BITMAP, 32, 32, 0)"))
cmd(154, "glScissor", entry=STUB)
cmd(155, "glShadeModel", entry=STUB)
cmd(156, "glTexParameterf", entry=STUB, args=dict(param="orenum"))
cmd(157, "glTexParameterfv", entry=STUB, args=dict(params="orenum"))
cmd(158, "glTexParameteri", entry=STUB, args=dict(param="orenum"))
cmd(159, "glTexParameteriv", entry=STUB, args=dict(params="orenum"))
cmd(160, "glTexImage1D", entry=STUB, args=dict(pixels="image(format, type, width, 1, 0, null)"))
cmd(161, "glTexImage2D", entry=STUB, args=dict(pixels="image(format, type, width, height, 0, null)"))
cmd(162, "glTexEnvf", entry=STUB, args=dict(param="orenum"))
cmd(163, "glTexEnvfv", entry=STUB, args=dict(params="orenum"))
cmd(164, "glTexEnvi", entry=STUB, args=dict(param="orenum"))
cmd(165, "glTexEnviv", entry=STUB, args=dict(params="orenum"))
cmd(166, "glTexGend", entry=STUB, args=dict(param="orenum"))
cmd(167, "glTexGendv", entry=STUB, args=dict(params="orenum"))
cmd(168, "glTexGenf", entry=STUB, args=dict(param="orenum"))
cmd(169, "glTexGenfv", entry=STUB, args=dict(params="orenum"))
cmd(170, "glTexGeni", entry=STUB, args=dict(param="orenum"))
cmd(171, "glTexGeniv", entry=STUB, args=dict(params="orenum"))
cmd(172, "glFeedbackBuffer", entry=STUB, attrs=CLIENT)
cmd(173, "glSelectBuffer", entry=STUB, attrs=CLIENT)
cmd(174, "glRenderMode", entry=STUB)
cmd(175, "glInitNames", entry=STUB, attrs=NOARGS)
cmd(176, "glLoadName", entry=STUB)
cmd(177, "glPassThrough", entry=STUB)
cmd(178, "glPopName", entry=STUB, attrs=NOARGS)
cmd(179, "glPushName", entry=STUB)
cmd(180, "glDrawBuffer", entry=STUB, args=dict(buf="drawbuffer"))
cmd(181, "glClear", entry=STUB, args=dict(mask="mask(clear)"))
cmd(182, "glClearAccum", entry=STUB)
cmd(183, "glClearIndex", entry=STUB)
cmd(184, "glClearColor", entry=STUB)
cmd(185, "glClearStencil", entry=STUB)
cmd(186, "glClearDepth", entry=STUB)
cmd(187, "glStencilMask", entry=STUB, args=dict(mask="umask"))
cmd(188, "glColorMask", entry=STUB)
cmd(189, "glDepthMask", entry=STUB)
cmd(190, "glIndexMask", entry=STUB, args=dict(mask="umask"))
cmd(191, "glAccum", entry=STUB)
cmd(192, "glDisable", entry=STUB, attrs=CLIENT)
cmd(193, "glEnable", entry=STUB, attrs=CLIENT)
cmd(194, "glFinish", entry=STUB, attrs=NOARGS)
cmd(195, "glFlush", entry=STUB, attrs=NOARGS)
cmd(196, "glPopAttrib", entry=STUB, attrs=NOARGS)
cmd(197, "glPushAttrib", entry=STUB, args=dict(mask="mask(attrib)"))
# The control points are packed from the caller's strides when written, and
# read back as far as the record's strides say.
cmd(198, "glMap1d", entry=STUB, hand=WRITE | DECODE, args=dict(points="points(stride, order)"))
cmd(199, "glMap1f", entry=STUB, hand=WRITE | DECODE, args=dict(points="points(stride, order)"))
cmd(200, "glMap2d", entry=STUB, hand=WRITE | DECODE, args=dict(points="points(ustride, uorder, vstride, vorder)"))
cmd(201, "glMap2f", entry=STUB, hand=WRITE | DECODE, args=dict(points="points(ustride, uorder, vstride, vorder)"))
cmd(202, "glMapGrid1d", entry=STUB)
cmd(203, "glMapGrid1f", entry=STUB)
cmd(204, "glMapGrid2d", entry=STUB, args=dict(v1="pad(4) value"))
cmd(205, "glMapGrid2f", entry=STUB)
cmd(206, "glEvalCoord1dv", entry=STUB)
cmd(207, "glEvalCoord1fv", entry=STUB)
cmd(208, "glEvalCoord2dv", entry=STUB)
cmd(209, "glEvalCoord2fv", entry=STUB)
cmd(210, "glEvalMesh1", entry=STUB)
cmd(211, "glEvalPoint1", entry=STUB)
cmd(212, "glEvalMesh2", entry=STUB)
cmd(213, "glEvalPoint2", entry=STUB)
cmd(214, "glAlphaFunc", entry=STUB)
cmd(215, "glBlendFunc", entry=STUB, args=dict(sfactor="blend", dfactor="blend"))
cmd(216, "glLogicOp", entry=STUB)
cmd(217, "glStencilFunc", entry=STUB, args=dict(mask="umask"))
cmd(218, "glStencilOp", entry=STUB, args=dict(fail="stencilop", zfail="stencilop", zpass="stencilop"))
cmd(219, "glDepthFunc", entry=STUB)
cmd(220, "glPixelZoom", entry=STUB)
cmd(221, "glPixelTransferf", entry=STUB, args=dict(param="orenum"))
cmd(222, "glPixelTransferi", entry=STUB, args=dict(param="orenum"))
cmd(223, "glPixelStoref", entry=STUB, attrs=CLIENT, args=dict(param="orenum"))
cmd(224, "glPixelStorei", entry=STUB, attrs=CLIENT, args=dict(param="orenum"))
cmd(225, "glPixelMapfv", entry=STUB)
cmd(226, "glPixelMapuiv", entry=STUB)
cmd(227, "glPixelMapusv", entry=STUB)
cmd(228, "glReadBuffer", entry=STUB)
cmd(229, "glCopyPixels", entry=STUB)
cmd(230, "glReadPixels", entry=STUB, attrs=GET)
cmd(231, "glDrawPixels", entry=STUB, args=dict(pixels="image(format, type, width, height, 0)"))
cmd(232, "glGetBooleanv", entry=STUB, attrs=CLIENT|GET)
cmd(233, "glGetClipPlane", entry=STUB, attrs=GET)
cmd(234, "glGetDoublev", entry=STUB, attrs=CLIENT|GET)
cmd(235, "glGetError", entry=STUB, attrs=NOARGS|GET)
cmd(236, "glGetFloatv", entry=STUB, attrs=CLIENT|GET)
cmd(237, "glGetIntegerv", entry=STUB, attrs=CLIENT|GET)
cmd(238, "glGetLightfv", entry=STUB, attrs=GET)
cmd(239, "glGetLightiv", entry=STUB, attrs=GET)
cmd(240, "glGetMapdv", entry=STUB, attrs=GET)
cmd(241, "glGetMapfv", entry=STUB, attrs=GET)
cmd(242, "glGetMapiv", entry=STUB, attrs=GET)
cmd(243, "glGetMaterialfv", entry=STUB, attrs=GET)
cmd(244, "glGetMaterialiv", entry=STUB, attrs=GET)
cmd(245, "glGetPixelMapfv", entry=STUB, attrs=GET)
cmd(246, "glGetPixelMapuiv", entry=STUB, attrs=GET)
cmd(247, "glGetPixelMapusv", entry=STUB, attrs=GET)
cmd(248, "glGetPolygonStipple", entry=STUB, attrs=GET)
cmd(249, "glGetString", entry=STUB, attrs=GET)
cmd(250, "glGetTexEnvfv", entry=STUB, attrs=GET)
cmd(251, "glGetTexEnviv", entry=STUB, attrs=GET)
cmd(252, "glGetTexGendv", entry=STUB, attrs=GET)
cmd(253, "glGetTexGenfv", entry=STUB, attrs=GET)
cmd(254, "glGetTexGeniv", entry=STUB, attrs=GET)
cmd(255, "glGetTexImage", entry=STUB, attrs=GET)
cmd(256, "glGetTexParameterfv", entry=STUB, attrs=GET)
cmd(257, "glGetTexParameteriv", entry=STUB, attrs=GET)
cmd(258, "glGetTexLevelParameterfv", entry=STUB, attrs=GET)
cmd(259, "glGetTexLevelParameteriv", entry=STUB, attrs=GET)
cmd(260, "glIsEnabled", entry=STUB, attrs=CLIENT|GET)
cmd(261, "glIsList", entry=STUB, attrs=GET)
cmd(262, "glDepthRange", entry=STUB)
cmd(263, "glFrustum", entry=STUB)
cmd(264, "glLoadIdentity", entry=STUB, attrs=NOARGS)
cmd(265, "glLoadMatrixf", entry=STUB, args=dict(m="matrix"))
cmd(266, "glLoadMatrixd", entry=STUB, args=dict(m="matrix"))
cmd(267, "glMatrixMode", entry=STUB)
cmd(268, "glMultMatrixf", entry=STUB, args=dict(m="matrix"))
cmd(269, "glMultMatrixd", entry=STUB, args=dict(m="matrix"))
cmd(270, "glOrtho", entry=STUB)
cmd(271, "glPopMatrix", entry=STUB, attrs=NOARGS)
cmd(272, "glPushMatrix", entry=STUB, attrs=NOARGS)
cmd(273, "glRotated", entry=STUB)
cmd(274, "glRotatef", entry=STUB)
cmd(275, "glScaled", entry=STUB)
cmd(276, "glScalef", entry=STUB)
cmd(277, "glTranslated", entry=STUB)
cmd(278, "glTranslatef", entry=STUB)
cmd(279, "glViewport", entry=STUB)

# OpenGL 1.1 and the extensions its commands came from, 288-351.
cmd(288, "glBlendColor", entry=INTERNAL, alias="glBlendColorEXT")
cmd(289, "glBlendEquation", entry=INTERNAL, alias="glBlendEquationEXT")
cmd(290, "glPolygonOffsetEXT", entry=INTERNAL)
cmd(291, "glTexSubImage1D", entry=FORWARD, alias="glTexSubImage1DEXT", args=dict(pixels="image(format, type, width, 1, 0)"))
cmd(292, "glTexSubImage2D", entry=FORWARD, alias="glTexSubImage2DEXT", args=dict(pixels="image(format, type, width, height, 0)"))
cmd(293, "glConvolutionFilter1D", entry=INTERNAL, alias="glConvolutionFilter1DEXT", args=dict(image="image(format, type, width, 1, 0)"))
cmd(294, "glConvolutionFilter2D", entry=INTERNAL, alias="glConvolutionFilter2DEXT", args=dict(image="image(format, type, width, height, 0)"))
cmd(295, "glConvolutionParameterf", entry=INTERNAL, alias="glConvolutionParameterfEXT", args=dict(params="orenum"))
cmd(296, "glConvolutionParameterfv", entry=INTERNAL, alias="glConvolutionParameterfvEXT", args=dict(params="orenum"))
cmd(297, "glConvolutionParameteri", entry=INTERNAL, alias="glConvolutionParameteriEXT", args=dict(params="orenum"))
cmd(298, "glConvolutionParameteriv", entry=INTERNAL, alias="glConvolutionParameterivEXT", args=dict(params="orenum"))
cmd(299, "glCopyConvolutionFilter1D", entry=INTERNAL, alias="glCopyConvolutionFilter1DEXT")
cmd(300, "glCopyConvolutionFilter2D", entry=INTERNAL, alias="glCopyConvolutionFilter2DEXT")
cmd(301, "glGetConvolutionFilter", entry=INTERNAL, attrs=GET, alias="glGetConvolutionFilterEXT")
cmd(302, "glGetConvolutionParameterfv", entry=INTERNAL, attrs=GET, alias="glGetConvolutionParameterfvEXT")
cmd(303, "glGetConvolutionParameteriv", entry=INTERNAL, attrs=GET, alias="glGetConvolutionParameterivEXT")
cmd(304, "glGetSeparableFilter", entry=INTERNAL, attrs=GET, alias="glGetSeparableFilterEXT")
cmd(305, "glSeparableFilter2D", entry=INTERNAL, alias="glSeparableFilter2DEXT", args=dict(row="image(format, type, width, 1, 0)", column="image(format, type, height, 1, 0)"))
cmd(306, "glGetHistogram", entry=INTERNAL, attrs=GET, alias="glGetHistogramEXT", args=dict(reset="value pad(3)"))
cmd(307, "glGetHistogramParameterfv", entry=INTERNAL, attrs=GET, alias="glGetHistogramParameterfvEXT")
cmd(308, "glGetHistogramParameteriv", entry=INTERNAL, attrs=GET, alias="glGetHistogramParameterivEXT")
cmd(309, "glGetMinmax", entry=INTERNAL, attrs=GET, alias="glGetMinmaxEXT", args=dict(reset="value pad(3)"))
cmd(310, "glGetMinmaxParameterfv", entry=INTERNAL, attrs=GET, alias="glGetMinmaxParameterfvEXT")
cmd(311, "glGetMinmaxParameteriv", entry=INTERNAL, attrs=GET, alias="glGetMinmaxParameterivEXT")
cmd(312, "glHistogram", entry=INTERNAL, alias="glHistogramEXT")
cmd(313, "glMinmax", entry=INTERNAL, alias="glMinmaxEXT")
cmd(314, "glResetHistogram", entry=INTERNAL, alias="glResetHistogramEXT")
cmd(315, "glResetMinmax", entry=INTERNAL, alias="glResetMinmaxEXT")
cmd(316, "glTexImage3D", entry=INTERNAL, alias="glTexImage3DEXT", args=dict(internalformat="enum", pixels="image(format, type, width, height, depth, null)"))
cmd(317, "glTexSubImage3D", entry=INTERNAL, alias="glTexSubImage3DEXT", args=dict(pixels="image(format, type, width, height, depth)"))
# With GLS_CAPTURE_VERTEX_ARRAYS the draws are captured as the vertex data
# they draw (glDrawElements also below).
cmd(318, "glArrayElement", entry=FORWARD, alias="glArrayElementEXT", hand=EXPAND)
cmd(319, "glColorPointerEXT", entry=INTERNAL, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(320, "glDrawArrays", entry=FORWARD, alias="glDrawArraysEXT", hand=EXPAND)
cmd(321, "glEdgeFlagPointerEXT", entry=INTERNAL, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(322, "glGetPointerv", entry=FORWARD, attrs=CLIENT|GET, alias="glGetPointervEXT")
cmd(323, "glIndexPointerEXT", entry=INTERNAL, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(324, "glNormalPointerEXT", entry=INTERNAL, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(325, "glTexCoordPointerEXT", entry=INTERNAL, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(326, "glVertexPointerEXT", entry=INTERNAL, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(327, "glAreTexturesResident", entry=FORWARD, attrs=GET, alias="glAreTexturesResidentEXT")
cmd(328, "glBindTexture", entry=FORWARD, alias="glBindTextureEXT")
cmd(329, "glDeleteTextures", entry=FORWARD, alias="glDeleteTexturesEXT")
cmd(330, "glGenTextures", entry=FORWARD, alias="glGenTexturesEXT")
cmd(331, "glIsTexture", entry=FORWARD, attrs=GET, alias="glIsTextureEXT")
cmd(332, "glPrioritizeTextures", entry=FORWARD, alias="glPrioritizeTexturesEXT")
cmd(333, "glCopyTexImage1D", entry=FORWARD, alias="glCopyTexImage1DEXT")
cmd(334, "glCopyTexImage2D", entry=FORWARD, alias="glCopyTexImage2DEXT")
cmd(335, "glCopyTexSubImage1D", entry=FORWARD, alias="glCopyTexSubImage1DEXT")
cmd(336, "glCopyTexSubImage2D", entry=FORWARD, alias="glCopyTexSubImage2DEXT")
cmd(337, "glCopyTexSubImage3D", entry=INTERNAL, alias="glCopyTexSubImage3DEXT")
cmd(338, "glColorPointer", entry=STUB, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(339, "glDisableClientState", entry=STUB, attrs=CLIENT)
cmd(340, "glDrawElements", entry=STUB, hand=WRITE | EXPAND, args=dict(indices="indices(count, type)"))
cmd(341, "glEdgeFlagPointer", entry=STUB, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(342, "glEnableClientState", entry=STUB, attrs=CLIENT)
cmd(343, "glIndexPointer", entry=STUB, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(344, "glInterleavedArrays", entry=STUB, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(345, "glNormalPointer", entry=STUB, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(346, "glTexCoordPointer", entry=STUB, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(347, "glVertexPointer", entry=STUB, attrs=CLIENT, args=dict(pointer="arrayptr"))
cmd(348, "glPolygonOffset", entry=STUB)
cmd(349, "glIndexubv", entry=STUB)
cmd(350, "glPopClientAttrib", entry=STUB, attrs=NOARGS|CLIENT)
cmd(351, "glPushClientAttrib", entry=STUB, attrs=CLIENT, args=dict(mask="mask(clientAttrib)"))

# Colour tables (SGI), 359-365.
cmd(359, "glColorTable", entry=INTERNAL, alias="glColorTableSGI", args=dict(table="image(format, type, width, 1, 0)"))
cmd(360, "glColorTableParameterfv", entry=INTERNAL, alias="glColorTableParameterfvSGI")
cmd(361, "glColorTableParameteriv", entry=INTERNAL, alias="glColorTableParameterivSGI")
cmd(362, "glCopyColorTable", entry=INTERNAL, alias="glCopyColorTableSGI")
cmd(363, "glGetColorTable", entry=INTERNAL, attrs=GET, alias="glGetColorTableSGI")
cmd(364, "glGetColorTableParameterfv", entry=INTERNAL, attrs=GET, alias="glGetColorTableParameterfvSGI")
cmd(365, "glGetColorTableParameteriv", entry=INTERNAL, attrs=GET, alias="glGetColorTableParameterivSGI")

# Point parameters (SGIS), 375-376.
cmd(375, "glPointParameterfEXT", entry=INTERNAL, alias="glPointParameterfSGIS")
cmd(376, "glPointParameterfvEXT", entry=INTERNAL, alias="glPointParameterfvSGIS")

# The window-system functions the library exports beside the gl commands, in
# the order of their debugger ids (526 + index), with the number of argument
# words each takes. Their bodies are written by hand.
WGL = [
    ("wglChoosePixelFormat", 2),
    ("wglDescribePixelFormat", 4),
    ("wglGetPixelFormat", 1),
    ("wglSetPixelFormat", 3),
    ("wglSwapBuffers", 1),
    ("wglCopyContext", 3),
    ("wglCreateContext", 1),
    ("wglCreateLayerContext", 2),
    ("wglDeleteContext", 1),
    ("wglDescribeLayerPlane", 5),
    ("wglGetCurrentContext", 0),
    ("wglGetCurrentDC", 0),
    ("wglGetDefaultProcAddress", 1),
    ("wglGetLayerPaletteEntries", 5),
    ("wglGetProcAddress", 1),
    ("wglMakeCurrent", 2),
    ("wglRealizeLayerPalette", 3),
    ("wglSetLayerPaletteEntries", 5),
    ("wglShareLists", 2),
    ("wglSwapLayerBuffers", 2),
    ("wglUseFontBitmapsA", 4),
    ("wglUseFontBitmapsW", 4),
    ("wglUseFontOutlinesA", 8),
    ("wglUseFontOutlinesW", 8),
]

# The debugger's commands that are not GL commands, each list in the order
# of its command ids: the GLU functions (ids 460-519), the GDI pixel-format
# and swap functions (520-524), and the four SGIX pbuffer and read-drawable
# names (550-553), which have no entry point of the system library behind
# them. The wgl functions above take ids 526-549 in their order.
GLU = [
    "gluBeginCurve", "gluBeginPolygon", "gluBeginSurface", "gluBeginTrim",
    "gluBuild1DMipmapLevels", "gluBuild1DMipmaps", "gluBuild2DMipmapLevels", "gluBuild2DMipmaps",
    "gluBuild3DMipmapLevels", "gluBuild3DMipmaps", "gluCheckExtension", "gluCylinder",
    "gluDeleteNurbsRenderer", "gluDeleteQuadric", "gluDeleteTess", "gluDisk", "gluEndCurve",
    "gluEndPolygon", "gluEndSurface", "gluEndTrim", "gluErrorString", "gluGetNurbsProperty",
    "gluGetString", "gluGetTessProperty", "gluLoadSamplingMatrices", "gluLookAt",
    "gluNewNurbsRenderer", "gluNewQuadric", "gluNewTess", "gluNextContour", "gluNurbsCallback",
    "gluNurbsCallbackData", "gluNurbsCallbackDataEXT", "gluNurbsCurve", "gluNurbsProperty",
    "gluNurbsSurface", "gluOrtho2D", "gluPartialDisk", "gluPerspective", "gluPickMatrix",
    "gluProject", "gluPwlCurve", "gluQuadricCallback", "gluQuadricDrawStyle",
    "gluQuadricNormals", "gluQuadricOrientation", "gluQuadricTexture", "gluScaleImage",
    "gluSphere", "gluTessBeginContour", "gluTessBeginPolygon", "gluTessCallback",
    "gluTessEndContour", "gluTessEndPolygon", "gluTessNormal", "gluTessProperty",
    "gluTessVertex", "gluTexFilterFuncSGI", "gluUnProject", "gluUnProject4",
]
GDI = ["ChoosePixelFormat", "DescribePixelFormat", "GetPixelFormat", "SetPixelFormat",
       "SwapBuffers"]
PBUFFER = ["wglCreatePBufferSGIX", "wglDestroyPBufferSGIX", "wglQueryPBufferSGIX",
           "wglMakeCurrentReadSGIX"]

# The GL commands whose debugger wrapper calls a check after the call (by the
# debugger's command name: an alias has a check of its own).
_VECTOR_FORMS = ["%s%sv" % (n, t) for n, types in (
    ("glColor3", "b d f i s ub ui us"), ("glColor4", "b d f i s ub ui us"),
    ("glEvalCoord1", "d f"), ("glEvalCoord2", "d f"), ("glIndex", "d f i s ub"),
    ("glNormal3", "b d f i s"), ("glRasterPos2", "d f i s"), ("glRasterPos3", "d f i s"),
    ("glRasterPos4", "d f i s"), ("glTexCoord1", "d f i s"), ("glTexCoord2", "d f i s"),
    ("glTexCoord3", "d f i s"), ("glTexCoord4", "d f i s"), ("glVertex2", "d f i s"),
    ("glVertex3", "d f i s"), ("glVertex4", "d f i s"), ("glRect", "d f i s")) for t in types.split()]
HOOKS = _VECTOR_FORMS + [
    # begin/end, primitives and vertex arrays
    "glBegin", "glEnd", "glArrayElement", "glArrayElementEXT", "glDrawArrays", "glDrawArraysEXT",
    "glDrawElements", "glEnableClientState", "glDisableClientState", "glEnable", "glDisable",
    # display lists
    "glNewList", "glEndList", "glDeleteLists", "glGenLists", "glCallList", "glCallLists",
    "glListBase",
    # the buffers the front-buffer switch restores
    "glDrawBuffer", "glReadBuffer",
    # warnings and hints about arguments and state
    "glBlendFunc", "glClear", "glFinish", "glFlush", "glLightfv", "glLightiv", "glLightModelf",
    "glLightModelfv", "glLightModeli", "glLightModeliv", "glMaterialf", "glMaterialfv",
    "glMateriali", "glMaterialiv", "glLineStipple", "glPolygonStipple", "glLoadMatrixd",
    "glLoadMatrixf", "glScaled", "glScalef",
]

# SGI extension commands that the debugger wraps although GLS has no opcode
# for them: their capture placeholders do nothing, so they are never executed
# or written. Each carries the opcode the debugger's tables give it (one that
# GLS leaves undefined, so installing its wrapper is refused). Signatures come
# from the registry; the names it does not know carry theirs here.
PLACEHOLDERS = [
    (354, "glTagSampleBufferSGIX"), (382, "glStartInstrumentsSGIX"), (384, "glFlushRasterSGIX"),
    (378, "glGetInstrumentsSGIX"), (353, "glSamplePatternSGIS"), (368, "glPixelTexGenSGIX"),
    (381, "glReadInstrumentsSGIX"), (383, "glStopInstrumentsSGIX"), (385, "glReferencePlaneSGIX"),
    (386, "glFrameZoomSGIX"), (390, "glDeformSGIX"), (391, "glLoadIdentityDeformationMapSGIX"),
    (398, "glPixelTransformSGI", "void glPixelTransformSGI(GLenum target)"),
] + [
    (op, "gl%s3%svSGIX" % (what, t), "void gl%s3%svSGIX(const %s *v)" % (what, t, gltype))
    for what, first in (("Binormal", 430), ("Tangent", 436))
    for op, (t, gltype) in enumerate((("b", "GLbyte"), ("d", "GLdouble"), ("f", "GLfloat"),
                                      ("i", "GLint"), ("s", "GLshort")), first)
] + [
    (435, "glFragmentLightSpaceSGIX", "void glFragmentLightSpaceSGIX(GLenum space)"),
    (458, "glSelectTextureSGIS", "void glSelectTextureSGIS(GLenum target)"),
    (459, "glApplyTextureSGIX", "void glApplyTextureSGIX(GLenum mode)"),
    (460, "glTextureLightSGIX", "void glTextureLightSGIX(GLenum pname)"),
    (466, "glGetFogLayersSGIX", "void glGetFogLayersSGIX(GLfloat *points)"),
    (467, "glAsyncMarkerSGIX"),
    (473, "glSelectTextureCoordSetSGIS", "void glSelectTextureCoordSetSGIS(GLenum target)"),
    (474, "glSelectTextureTransformSGIS", "void glSelectTextureTransformSGIS(GLenum target)"),
    (380, "glPollInstrumentsSGIX"), (468, "glFinishAsyncSGIX"), (469, "glPollAsyncSGIX"),
    (470, "glGenAsyncMarkersSGIX"), (472, "glIsAsyncMarkerSGIX"),
    (352, "glSampleMaskSGIS"), (356, "glGetDetailTexFuncSGIS"), (358, "glGetSharpenTexFuncSGIS"),
    (369, "glSpriteParameterfSGIX"), (370, "glSpriteParameterfvSGIX"),
    (371, "glSpriteParameteriSGIX"), (372, "glSpriteParameterivSGIX"), (377, "glFogFuncSGIS"),
    (379, "glInstrumentsBufferSGIX"), (387, "glIglooInterfaceSGIX"),
    (412, "glFragmentColorMaterialSGIX"), (417, "glFragmentLightModelfSGIX"),
    (418, "glFragmentLightModelfvSGIX"), (419, "glFragmentLightModeliSGIX"),
    (420, "glFragmentLightModelivSGIX"), (429, "glLightEnviSGIX"),
] + [
    (441 + 4 * (n - 1) + i, "glMultiTexCoord%d%svSGIS" % (n, t),
     "void glMultiTexCoord%d%svSGIS(GLenum target, const %s *v)" % (n, t, gltype))
    for n in (1, 2, 3, 4)
    for i, (t, gltype) in enumerate((("d", "GLdouble"), ("f", "GLfloat"), ("i", "GLint"),
                                     ("s", "GLshort")))
] + [
    (461, "glTextureMaterialSGIX", "void glTextureMaterialSGIX(GLenum face, GLenum mode)"),
    (462, "glFogLayersSGIX", "void glFogLayersSGIX(GLsizei n, const GLfloat *points)"),
    (471, "glDeleteAsyncMarkersSGIX"),
    (355, "glDetailTexFuncSGIS"), (357, "glSharpenTexFuncSGIS"), (373, "glGetTexFilterFuncSGIS"),
    (392, "glGetListParameterfvSGIX"), (393, "glGetListParameterivSGIX"),
    (394, "glListParameterfSGIX"), (395, "glListParameterfvSGIX"),
    (396, "glListParameteriSGIX"), (397, "glListParameterivSGIX"),
] + [
    (op, "glPixelTransformParameter%sSGI" % s,
     "void glPixelTransformParameter%sSGI(GLenum target, GLenum pname, %s)" % (s, arg))
    for op, (s, arg) in enumerate((("f", "GLfloat param"), ("fv", "const GLfloat *params"),
                                   ("i", "GLint param"), ("iv", "const GLint *params")), 399)
] + [
    (op, "glGetPixelTransformParameter%svSGI" % s,
     "void glGetPixelTransformParameter%svSGI(GLenum target, GLenum pname, %s *params)" % (s, t))
    for op, (s, t) in enumerate((("f", "GLfloat"), ("i", "GLint")), 403)
] + [
    (413, "glFragmentLightfSGIX"), (414, "glFragmentLightfvSGIX"), (415, "glFragmentLightiSGIX"),
    (416, "glFragmentLightivSGIX"), (421, "glFragmentMaterialfSGIX"),
    (422, "glFragmentMaterialfvSGIX"), (423, "glFragmentMaterialiSGIX"),
    (424, "glFragmentMaterialivSGIX"), (425, "glGetFragmentLightfvSGIX"),
    (426, "glGetFragmentLightivSGIX"), (427, "glGetFragmentMaterialfvSGIX"),
    (428, "glGetFragmentMaterialivSGIX"),
    (374, "glTexFilterFuncSGIS"), (366, "glTexImage4DSGIS"), (367, "glTexSubImage4DSGIS"),
    (389, "glDeformationMap3fSGIX"), (388, "glDeformationMap3dSGIX"),
]
