// RecordingHost: the desktop, console and message boxes of an in-process host, recorded.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/process_call_log.h"

namespace test_support {

// A message box as the host was asked to show it.
struct ShownBox {
  std::wstring text;
  std::wstring caption;
  unsigned flags = 0;
};

// A shell open the desktop was asked for.
struct ShellOpenCall {
  std::wstring verb;
  std::wstring file;
  std::wstring params;
};

// While it lives, the desktop and the SDK stand-in's host hooks: the language
// question is answered with `languageId` (English unless a test says
// otherwise), no folder is ever chosen, and shell opens, console prints and
// message boxes are recorded instead of done; a box is answered with `answer`.
// Wake-ups are timers of the SDK stand-in's message loop.
// The view-sync thread may show a box or ask the language while a test reads,
// so the records are kept under a lock and handed out as copies.
class RecordingHost : public platform::Desktop {
 public:
  RecordingHost();
  ~RecordingHost() override;
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  int SystemDefaultLanguageId() override { return languageId; }
  std::optional<std::wstring> ChooseFolder(const std::wstring&) override { return std::nullopt; }
  void ShellOpen(const std::wstring& verb, const std::wstring& file,
                 const std::wstring& params) override;
  // Wake-ups go to the SDK stand-in's message loop, as the host's do: a test
  // runs them with rhino_standin::RunMessagesFor.
  bool WakeAfter(unsigned milliseconds, std::function<void()> wake) override;
  void CancelWakes() override;

  // The records from the `from`-th on, in the order they came.
  std::vector<ShownBox> Boxes(std::size_t from = 0) const;
  std::vector<std::string> Prints(std::size_t from = 0) const;
  std::vector<ShellOpenCall> ShellOpens() const;
  std::size_t BoxCount() const;
  std::size_t PrintCount() const;

  std::atomic<int> languageId{1033};
  std::atomic<int> answer{1};

 private:
  mutable std::mutex mutex_;
  std::vector<ShownBox> boxes_;
  std::vector<std::string> prints_;
  std::vector<ShellOpenCall> shellOpens_;
};

// What an in-process test program shares across its tests, made on first use,
// before anything loads the bridge: the bridge's call log in a folder of its
// own and the recording host.
struct InProcessHost {
  explicit InProcessHost(const std::string& logPrefix) : log(logPrefix) {}
  ProcessCallLog log;
  RecordingHost host;
};

}  // namespace test_support
