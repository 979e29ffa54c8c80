// The host's transcript: one JSON object per event, in order (JSON Lines).
#pragma once

#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "standin_host.h"

class Transcript {
 public:
  ~Transcript();
  bool Open(const std::string& path);
  void Print(const std::string& text);
  void RecordMessageBox(const std::wstring& text, const std::wstring& caption, unsigned flags,
                        int answer);
  void FolderBrowser(const std::wstring& title, const std::optional<std::wstring>& answer);
  void ShellOpen(const std::wstring& verb, const std::wstring& file, const std::wstring& params);
  void Command(const std::string& name);
  void Progress(const rhino_standin::ProgressMeterEvent& event);

 private:
  void Write(const std::string& line);
  std::mutex m_mutex;
  std::FILE* m_file = nullptr;
};
