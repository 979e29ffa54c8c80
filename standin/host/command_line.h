// The host's command line and its command lines (as typed at the prompt).
#pragma once

#include <optional>
#include <string>
#include <vector>

struct HostOptions {
  std::string doc;
  std::string plugin;
  std::optional<int> languageId;
  std::vector<int> answers;                         // message boxes, in order
  std::vector<std::optional<std::string>> folders;  // the folder chooser; nullopt = cancel
  std::string transcript;
  std::string script;
  std::string units = "millimeters";  // for 3D files without units
  bool about = false;
  std::vector<std::string> commands;
};

// Parses the arguments; false with a message for a usage error.
bool ParseHostOptions(int argc, char** argv, HostOptions* options, std::string* error);

// The process's arguments as UTF-8. Windows hands main() the ANSI code page's
// form, which cannot hold every path, so there they come from the wide command
// line.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Whether standard input is a terminal a person types at. On Windows that is a
// console: the NUL device is a character device too.
bool StandardInputIsTerminal();

// Standard output and error write lines as they are given: Windows would turn
// each "\n" into "\r\n", and the host's output is the same on every system.
void UseUntranslatedStandardOutput();

// Splits a command line into words: blanks separate, double quotes group.
std::vector<std::string> SplitCommandLine(const std::string& line);

// The command name without a leading "_" or "-".
std::string CommandName(const std::string& word);

// Whether two command names are the same; case does not count, as at the
// host's prompt.
bool SameCommandName(const std::string& a, const std::string& b);

std::string HostUsage();
