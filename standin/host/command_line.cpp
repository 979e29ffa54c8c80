#include "command_line.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// The shell header needs the definitions of <windows.h> first.
#include <shellapi.h>
#else
#include <unistd.h>
#endif

#include <cctype>
#include <climits>
#include <cstdlib>

#include "document_reader.h"
#include "platform/platform.h"

std::string HostUsage() {
  return "usage: orvex-host [--doc FILE] [--plugin FILE] [--lang en|zh|ID] [--answer "
         "ok|cancel]...\n"
         "                  [--folder PATH|cancel]... [--transcript FILE] [--script FILE]\n"
         "                  [--units NAME] [--about] [COMMAND ...]\n";
}

bool ParseHostOptions(int argc, char** argv, HostOptions* o, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) {
        *error = "option " + arg + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    std::string v;
    if (arg == "--doc") {
      if (!value(&o->doc)) return false;
    } else if (arg == "--plugin") {
      if (!value(&o->plugin)) return false;
    } else if (arg == "--transcript") {
      if (!value(&o->transcript)) return false;
    } else if (arg == "--script") {
      if (!value(&o->script)) return false;
    } else if (arg == "--units") {
      if (!value(&o->units)) return false;
      ON::LengthUnitSystem units;
      if (!UnitSystemFromName(o->units, &units)) {
        *error =
            "--units takes a unit name (millimeters, meters, none, ...), not '" + o->units + "'";
        return false;
      }
    } else if (arg == "--about") {
      o->about = true;
    } else if (arg == "--lang") {
      if (!value(&v)) return false;
      if (v == "zh") {
        o->languageId = 2052;
      } else if (v == "en") {
        o->languageId = 1033;
      } else {
        char* end = nullptr;
        const long id = std::strtol(v.c_str(), &end, 10);
        if (v.empty() || *end != '\0' || id < INT_MIN || id > INT_MAX) {
          *error = "--lang takes en, zh or a number, not '" + v + "'";
          return false;
        }
        o->languageId = static_cast<int>(id);
      }
    } else if (arg == "--answer") {
      if (!value(&v)) return false;
      if (v == "ok") {
        o->answers.push_back(1);
      } else if (v == "cancel") {
        o->answers.push_back(2);
      } else {
        *error = "--answer takes ok or cancel, not '" + v + "'";
        return false;
      }
    } else if (arg == "--folder") {
      if (!value(&v)) return false;
      o->folders.push_back(v == "cancel" ? std::nullopt : std::optional<std::string>(v));
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      *error = "unknown option " + arg;
      return false;
    } else {
      o->commands.push_back(arg);
    }
  }
  return true;
}

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::string CommandName(const std::string& word) {
  size_t start = 0;
  while (start < word.size() && (word[start] == '_' || word[start] == '-')) ++start;
  return word.substr(start);
}

bool SameCommandName(const std::string& a, const std::string& b) {
  const auto lower = [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
#if defined(_WIN32)
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(platform::WideToUtf8(wide[i]));
    LocalFree(wide);
    return arguments;
  }
#endif
  return std::vector<std::string>(argv, argv + argc);
}

bool StandardInputIsTerminal() {
#if defined(_WIN32)
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
#else
  return isatty(STDIN_FILENO) != 0;
#endif
}

void UseUntranslatedStandardOutput() {
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}
