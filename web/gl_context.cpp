#include "web/gl_context.h"

#include <emscripten/html5.h>
#include <emscripten/html5_webgl.h>
#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstring>

#include "gl11/gl11.h"
#include "gl11/gles_functions.h"

namespace {

// The layer's entry points, looked up in a table of Emscripten's WebGL
// functions that holds only those: emscripten_webgl_get_proc_address would
// link every WebGL function into the page (about 60 KB more script).
Gl11Proc LoadWebGlProc(const char* name) {
  struct Entry {
    const char* Name;
    Gl11Proc Proc;
  };
#define GL11_WEBGL_ENTRY(name, type) {"gl" #name, reinterpret_cast<Gl11Proc>(&emscripten_gl##name)},
  static const Entry kEntries[] = {GL11_GLES_FUNCTIONS(GL11_WEBGL_ENTRY)};
#undef GL11_WEBGL_ENTRY
  for (const Entry& entry : kEntries)
    if (std::strcmp(entry.Name, name) == 0) return entry.Proc;
  return nullptr;
}

}  // namespace

bool CreatePageGlContext(const char* canvasSelector, std::string& error) {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  attributes.alpha = EM_FALSE;  // an opaque picture, black where nothing is drawn
  attributes.depth = EM_TRUE;
  attributes.stencil = EM_FALSE;
  attributes.antialias = EM_FALSE;  // the same pixels as the desktop programs draw
  attributes.premultipliedAlpha = EM_FALSE;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(canvasSelector, &attributes);
  if (context <= 0) {
    error = "Ombrel needs WebGL 2, which this browser does not offer here (it may be switched off, "
            "or the graphics driver may be blocked).";
    return false;
  }
  emscripten_webgl_make_context_current(context);
  return RestorePageGlContext(error);
}

bool RestorePageGlContext(std::string& error) {
  std::string layerError;
  if (!Gl11Init(LoadWebGlProc, layerError)) {
    error = "Ombrel cannot draw with this browser's WebGL 2: " + layerError;
    return false;
  }
  return true;
}
