// Runs orvex-host in a folder of its own: a plug-in folder two levels below
// the renderer-folder file, with the bridge stand-in (or a variant of it, or
// none) beside the plug-in; reads back the transcript and the bridge call log.
#pragma once

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host_process.h"
#include "tests/support/temp_dir.h"

// The bridge library's file name on this system (OrvexPlugin.dll, OrvexPlugin.so).
inline const std::filesystem::path kBridgeFileName =
    std::filesystem::path(ORVEX_BRIDGE_FILE).filename();

struct HostRun {
  // -1: the host did not exit (a signal, or it could not start).
  int exitCode = -1;
  std::string out;                         // standard output
  std::string err;                         // standard error
  std::vector<nlohmann::json> transcript;  // host events
  std::vector<nlohmann::json> calls;       // bridge calls

  std::vector<nlohmann::json> Events(const std::string& kind) const;
  std::vector<std::string> BoxTexts() const;
  std::vector<std::string> CallNames() const;
  std::vector<nlohmann::json> Calls(const std::string& fn) const;
};

class HostSandbox {
 public:
  // bridge: "" = the bridge stand-in, "none" = no bridge library, otherwise the
  // name of a variant folder (such as "no_Connect").
  explicit HostSandbox(const std::string& bridge = "");

  const std::filesystem::path& Root() const { return m_root.path(); }
  std::filesystem::path FolderFile() const {
    return Root() / "rhino" / "orvex_render_folder.strings";
  }
  // The folder of the plug-in and, beside it, the bridge library.
  std::filesystem::path PlugInFolder() const { return Root() / "rhino/Plug-ins/OrvexConv"; }
  // The configuration folder of the host's runs (XDG_CONFIG_HOME), and the
  // plug-in's own folder in it, which holds the analytics client id (on Windows
  // in the roaming application-data folder, which every run shares).
  std::filesystem::path ConfigFolder() const { return Root() / "config"; }
  std::filesystem::path PlugInConfigFolder() const;
  // A folder that the bridge accepts as the renderer's installation.
  std::filesystem::path RendererFolder() const;
  // Stores the renderer folder in the folder file, as an earlier run would have.
  void RememberRenderer() const;
  std::filesystem::path WriteDocument(const nlohmann::json& doc, const std::string& name = "doc");
  HostRun Run(const std::vector<std::string>& args,
              const std::map<std::string, std::string>& env = {}) const;
  // Writes the document and runs the commands with it open.
  HostRun RunDocument(const nlohmann::json& doc, const std::vector<std::string>& commands,
                      const std::map<std::string, std::string>& env = {});

  // The folder the host runs in; empty: the test's own.
  std::filesystem::path workingFolder;

 private:
  // On Windows in a folder whose name has Chinese characters and spaces, so
  // that every path the plug-in handles is one outside the ANSI code page.
#ifdef _WIN32
  test_support::TempDir m_root{"orvex 测试 host"};
#else
  test_support::TempDir m_root{"orvex-host-test"};
#endif
};

// A saved document with one mesh object, in millimetres.
nlohmann::json SavedDocument();
