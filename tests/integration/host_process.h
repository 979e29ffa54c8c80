// Runs a program as a child process: its arguments as UTF-8 texts, this
// process's environment with some variables removed and others put on top,
// standard input empty, standard output and error written to files.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// The exit code of a program killed at its deadline.
constexpr int kHostKilled = -2;

struct ChildProcess {
  std::vector<std::string> argv;  // argv[0] is the program
  std::map<std::string, std::string> values;
  std::vector<std::string> removed;
  std::filesystem::path out;
  std::filesystem::path err;
  std::filesystem::path workingFolder;  // empty: this process's own
  std::chrono::seconds deadline{120};
};

// The exit code; kHostKilled when the program outlived its deadline and was
// killed; -1 when it could not be started or ended by a signal.
int RunChildProcess(const ChildProcess& child);

// This process's environment with `removed` taken out and `values` put on top.
std::map<std::string, std::string> ChildEnvironment(
    const std::map<std::string, std::string>& current, const ChildProcess& child);
