// The README's lines for sway's configuration, run as written: read from its
// Wayland section, with seconds for minutes, in a headless sway whose PATH
// finds this build's ombrel-wayland first. That ombrel-wayland is a script
// that runs a copy of the program (the build tree may be closed to sway's
// user) and notes each start and end in the session's runs file, so that a
// test can tell the copies that sway and swayidle start apart.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/wayland/on_sway.h"

struct ReadmeLines {
  std::string Saver;          // exec ombrel-wayland --idle ...
  std::string Lock;           // exec swayidle ... swaylock ...
  std::string SwayidleSaver;  // exec swayidle ... ombrel-wayland
  std::string Wallpaper;      // exec ombrel-wayland --background
};

// The `exec` lines of the README's Wayland section's code blocks; a line
// that is missing stays empty.
inline ReadmeLines ReadReadmeLines() {
  std::ifstream in(OMBREL_SOURCE_DIR "/README.md");
  ReadmeLines lines;
  bool section = false, block = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("## ", 0) == 0) section = line == "## Wayland";
    if (!section) continue;
    if (line.rfind("```", 0) == 0) block = !block;
    if (!block || line.rfind("exec ", 0) != 0) continue;
    const bool swayidle = line.rfind("exec swayidle", 0) == 0;
    if (swayidle && line.find("swaylock") != std::string::npos) lines.Lock = line;
    else if (swayidle) lines.SwayidleSaver = line;
    else if (line.find("--idle") != std::string::npos) lines.Saver = line;
    else if (line.find("--background") != std::string::npos) lines.Wallpaper = line;
  }
  return lines;
}

// `line` with its minutes in seconds: 300 becomes 2 and 600 becomes 6, so
// that the saver still comes before the lock.
inline std::string Shortened(const std::string& line) {
  return std::regex_replace(std::regex_replace(line, std::regex(R"(\b300\b)"), "2"), std::regex(R"(\b600\b)"), "6");
}

// One start of ombrel-wayland in the session, and its end where it ended.
struct SaverRun {
  int Pid = 0;
  bool Ended = false;
  int Code = -1;
};

class ReadmeSession : public SwayTest {
 protected:
  // sway with `config` and the noting ombrel-wayland first in its PATH.
  void StartSession(int outputs, const std::string& config) {
    StartSway(outputs, config, [](const std::string& bin) {
      namespace fs = std::filesystem;
      fs::copy_file(kSaver, bin + "/ombrel-wayland.real", fs::copy_options::overwrite_existing);
      chmod((bin + "/ombrel-wayland.real").c_str(), 0755);
      std::ofstream script(bin + "/ombrel-wayland");
      script << "#!/bin/sh\n"
                "# This build's ombrel-wayland, its start and end noted in the session's runs file.\n"
                "runs=$(dirname \"$0\")/../runs\n"
                "ASAN_OPTIONS=detect_leaks=0 \"$0.real\" \"$@\" &\n"
                "pid=$!\n"
                "echo \"start $pid\" >>\"$runs\"\n"
                "wait $pid\n"
                "echo \"end $pid $?\" >>\"$runs\"\n";
      script.close();
      chmod((bin + "/ombrel-wayland").c_str(), 0755);
    });
  }

  // Every start so far, in order.
  std::vector<SaverRun> Runs() const {
    std::vector<SaverRun> runs;
    std::istringstream in(ReadFile(sway_->Runtime() + "/runs"));
    for (std::string word; in >> word;) {
      int pid = 0, code = -1;
      in >> pid;
      if (word == "start") runs.push_back({pid});
      if (word != "end" || !(in >> code)) continue;
      for (SaverRun& run : runs)
        if (run.Pid == pid) run = {pid, true, code};
    }
    return runs;
  }
};
