// Whether an extension string (GLX's, OpenGL's: names separated by spaces)
// names `extension` in full, not as the start of a longer name
// (GL_ARB_framebuffer_object in GL_ARB_framebuffer_object_sRGB).
#pragma once

#include <cstring>

inline bool NamesExtension(const char* extensions, const char* extension) {
  const size_t length = std::strlen(extension);
  for (const char* at = extensions; (at = std::strstr(at, extension)) != nullptr; at += length)
    if ((at == extensions || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
  return false;
}
