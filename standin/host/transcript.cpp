#include "transcript.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "platform/platform.h"

// Members keep the order they are written in: kind first, as the transcript's
// line shapes have them.
using json = nlohmann::ordered_json;

namespace {
std::string Utf8(const std::wstring& s) { return platform::WideToUtf8(s); }
}  // namespace

Transcript::~Transcript() {
  if (m_file) std::fclose(m_file);
}

bool Transcript::Open(const std::string& path) {
#ifdef _WIN32
  m_file = _wfopen(std::filesystem::u8path(path).c_str(), L"wb");
#else
  m_file = std::fopen(path.c_str(), "wb");
#endif
  return m_file != nullptr;
}

void Transcript::Write(const std::string& line) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_file) return;
  std::fputs(line.c_str(), m_file);
  std::fputc('\n', m_file);
  std::fflush(m_file);
}

// Texts from the plug-in may hold bytes that are not UTF-8; they are replaced
// rather than dropping the event.
static std::string Dump(const json& j) {
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

void Transcript::Print(const std::string& text) {
  Write(Dump({{"kind", "print"}, {"text", text}}));
}

void Transcript::RecordMessageBox(const std::wstring& text, const std::wstring& caption,
                                  unsigned flags, int answer) {
  Write(Dump({{"kind", "message_box"},
              {"text", Utf8(text)},
              {"caption", Utf8(caption)},
              {"flags", flags},
              {"answer", answer}}));
}

void Transcript::FolderBrowser(const std::wstring& title,
                               const std::optional<std::wstring>& answer) {
  json j = {{"kind", "folder_browser"}, {"title", Utf8(title)}};
  j["answer"] = answer ? json(Utf8(*answer)) : json(nullptr);
  Write(Dump(j));
}

void Transcript::ShellOpen(const std::wstring& verb, const std::wstring& file,
                           const std::wstring& params) {
  Write(Dump({{"kind", "shell_open"},
              {"verb", Utf8(verb)},
              {"file", Utf8(file)},
              {"params", Utf8(params)}}));
}

void Transcript::Command(const std::string& name) {
  Write(Dump({{"kind", "command"}, {"name", name}}));
}

void Transcript::Progress(const rhino_standin::ProgressMeterEvent& event) {
  using Stage = rhino_standin::ProgressMeterEvent::Stage;
  switch (event.stage) {
    case Stage::kStart:
      Write(Dump({{"kind", "progress"},
                  {"stage", "start"},
                  {"lower", event.lower},
                  {"upper", event.upper},
                  {"label", Utf8(event.label)}}));
      return;
    case Stage::kPos:
      Write(Dump({{"kind", "progress"}, {"stage", "pos"}, {"pos", event.pos}}));
      return;
    case Stage::kEnd: Write(Dump({{"kind", "progress"}, {"stage", "end"}})); return;
  }
}
