// Runs one of the project's programs with arguments and collects its exit
// code, standard output (also split into lines) and standard error.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

struct ProgramRun {
  int exitCode;
  std::string out, err;
  std::vector<std::string> lines;
};

inline ProgramRun RunProgram(const std::string& program, const std::string& args) {
  // Test cases run as parallel processes: each needs a file of its own.
  const std::string errFile =
      ::testing::TempDir() + "program_stderr_" + std::to_string(getpid()) + ".txt";
  const std::string command = program + " " + args + " 2>" + errFile;
  ProgramRun run{};
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  std::remove(errFile.c_str());
  std::istringstream in(run.out);
  for (std::string line; std::getline(in, line);) run.lines.push_back(line);
  return run;
}

