// The OpenGL ES 3.0 entry points the GL 1.1 layer calls, with their pointer
// types from <GLES3/gl3.h>; every one of them is in WebGL 2. X(Name, Type)
// for each, Name without its "gl": the layer loads them by name, and the
// page's loader (web/gl_context.cpp) maps the same names to Emscripten's
// own functions, so the page links only these.
#pragma once

#define GL11_GLES_FUNCTIONS(X)                                      \
  X(AttachShader, PFNGLATTACHSHADERPROC)                            \
  X(BindBuffer, PFNGLBINDBUFFERPROC)                                \
  X(BindTexture, PFNGLBINDTEXTUREPROC)                              \
  X(BindVertexArray, PFNGLBINDVERTEXARRAYPROC)                      \
  X(BlendFunc, PFNGLBLENDFUNCPROC)                                  \
  X(BufferData, PFNGLBUFFERDATAPROC)                                \
  X(BufferSubData, PFNGLBUFFERSUBDATAPROC)                          \
  X(Clear, PFNGLCLEARPROC)                                          \
  X(ClearColor, PFNGLCLEARCOLORPROC)                                \
  X(ClearDepthf, PFNGLCLEARDEPTHFPROC)                              \
  X(CompileShader, PFNGLCOMPILESHADERPROC)                          \
  X(CreateProgram, PFNGLCREATEPROGRAMPROC)                          \
  X(CreateShader, PFNGLCREATESHADERPROC)                            \
  X(DeleteBuffers, PFNGLDELETEBUFFERSPROC)                          \
  X(DeleteProgram, PFNGLDELETEPROGRAMPROC)                          \
  X(DeleteShader, PFNGLDELETESHADERPROC)                            \
  X(DeleteTextures, PFNGLDELETETEXTURESPROC)                        \
  X(DeleteVertexArrays, PFNGLDELETEVERTEXARRAYSPROC)                \
  X(DepthFunc, PFNGLDEPTHFUNCPROC)                                  \
  X(Disable, PFNGLDISABLEPROC)                                      \
  X(DrawArrays, PFNGLDRAWARRAYSPROC)                                \
  X(Enable, PFNGLENABLEPROC)                                        \
  X(EnableVertexAttribArray, PFNGLENABLEVERTEXATTRIBARRAYPROC)      \
  X(Flush, PFNGLFLUSHPROC)                                          \
  X(GenBuffers, PFNGLGENBUFFERSPROC)                                \
  X(GenTextures, PFNGLGENTEXTURESPROC)                              \
  X(GenVertexArrays, PFNGLGENVERTEXARRAYSPROC)                      \
  X(GetProgramInfoLog, PFNGLGETPROGRAMINFOLOGPROC)                  \
  X(GetProgramiv, PFNGLGETPROGRAMIVPROC)                            \
  X(GetShaderInfoLog, PFNGLGETSHADERINFOLOGPROC)                    \
  X(GetShaderiv, PFNGLGETSHADERIVPROC)                              \
  X(GetUniformLocation, PFNGLGETUNIFORMLOCATIONPROC)                \
  X(LinkProgram, PFNGLLINKPROGRAMPROC)                              \
  X(PixelStorei, PFNGLPIXELSTOREIPROC)                              \
  X(ShaderSource, PFNGLSHADERSOURCEPROC)                            \
  X(TexImage2D, PFNGLTEXIMAGE2DPROC)                                \
  X(TexParameteri, PFNGLTEXPARAMETERIPROC)                          \
  X(Uniform1i, PFNGLUNIFORM1IPROC)                                  \
  X(Uniform4f, PFNGLUNIFORM4FPROC)                                  \
  X(UseProgram, PFNGLUSEPROGRAMPROC)                                \
  X(VertexAttribPointer, PFNGLVERTEXATTRIBPOINTERPROC)              \
  X(Viewport, PFNGLVIEWPORTPROC)
