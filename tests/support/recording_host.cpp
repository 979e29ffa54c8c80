#include "tests/support/recording_host.h"

#include <iterator>
#include <utility>

#include "message_loop.h"
#include "standin_host.h"

namespace test_support {
namespace {

template <class T>
std::vector<T> From(const std::vector<T>& all, std::size_t from) {
  if (from >= all.size()) return {};
  return std::vector<T>(std::next(all.begin(), static_cast<std::ptrdiff_t>(from)), all.end());
}

}  // namespace

RecordingHost::RecordingHost() {
  platform::SetDesktop(this);
  rhino_standin::HostHooks hooks;
  hooks.print = [this](const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    prints_.push_back(text);
  };
  hooks.messageBox = [this](const std::wstring& text, const std::wstring& caption, unsigned flags) {
    std::lock_guard<std::mutex> lock(mutex_);
    boxes_.push_back({text, caption, flags});
    return answer.load();
  };
  rhino_standin::SetHostHooks(std::move(hooks));
}

RecordingHost::~RecordingHost() {
  rhino_standin::SetHostHooks({});
  platform::SetDesktop(nullptr);
}

void RecordingHost::ShellOpen(const std::wstring& verb, const std::wstring& file,
                              const std::wstring& params) {
  std::lock_guard<std::mutex> lock(mutex_);
  shellOpens_.push_back({verb, file, params});
}

std::vector<ShownBox> RecordingHost::Boxes(std::size_t from) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return From(boxes_, from);
}

std::vector<std::string> RecordingHost::Prints(std::size_t from) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return From(prints_, from);
}

std::vector<ShellOpenCall> RecordingHost::ShellOpens() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return shellOpens_;
}

std::size_t RecordingHost::BoxCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_.size();
}

std::size_t RecordingHost::PrintCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return prints_.size();
}

bool RecordingHost::WakeAfter(unsigned milliseconds, std::function<void()> wake) {
  rhino_standin::PostTimer(milliseconds, std::move(wake));
  return true;
}

void RecordingHost::CancelWakes() { rhino_standin::ClearTimers(); }

}  // namespace test_support
