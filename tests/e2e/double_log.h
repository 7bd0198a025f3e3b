// Shared by the test doubles of the system's password modules: they append
// one line per call to the file named by OMBREL_DOUBLE_LOG.
#pragma once

#include <windows.h>

#include <cstdio>

inline void AppendToDoubleLog(const char* line) {
  char path[MAX_PATH];
  if (!GetEnvironmentVariableA("OMBREL_DOUBLE_LOG", path, sizeof path)) return;
  if (FILE* log = std::fopen(path, "a")) {
    std::fprintf(log, "%s\n", line);
    std::fclose(log);
  }
}
