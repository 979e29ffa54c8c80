// Calls into the bridge library by export name, one way for every call. An
// Export is the function a handle's library exports under a name; calling it
// runs the function, or, when the library lacks the export, shows a message
// ("Get dll func error" unless the call names another, or none) and skips the
// call. The message is shown at every call of a missing export, whether the
// Export is looked up for one call (ORVEX_BRIDGE_CALL) or kept for a run of
// calls on one handle (a library stays loaded in its handle, so its exports
// keep the addresses found).
#pragma once

#include <optional>
#include <type_traits>
#include <utility>

#include "bridge/bridge_api.h"
#include "bridge/bridge_handle.h"
#include "plugin/messages.h"

namespace bridge {

template <class Fn>
class Export {
 public:
  Export(const BridgeHandle& handle, const char* name)
      : m_fn(reinterpret_cast<Fn>(platform::FindExport(handle.module, name))) {}

  // The same export with another message for when it is missing; nullopt says
  // nothing, for a caller that handles a missing export its own way.
  Export WhenMissing(std::optional<messages::Message> message) const {
    Export other = *this;
    other.m_whenMissing = message;
    return other;
  }

  bool Found() const { return m_fn != nullptr; }

  // Shows what a call of the export shows when it is missing, for a caller
  // that must not show it where the call is made.
  void ShowMissing() const {
    if (m_whenMissing) messages::Show(*m_whenMissing);
  }

  // A void export: true when it was called. Any other: its result, or nullopt
  // when it is missing.
  template <class... Args>
  auto operator()(Args&&... args) const {
    using Result = std::invoke_result_t<Fn, Args...>;
    if constexpr (std::is_void_v<Result>) {
      if (!m_fn) return ShowMissing(), false;
      m_fn(std::forward<Args>(args)...);
      return true;
    } else {
      if (!m_fn) return ShowMissing(), std::optional<Result>();
      return std::optional<Result>(m_fn(std::forward<Args>(args)...));
    }
  }

 private:
  Fn m_fn;
  std::optional<messages::Message> m_whenMissing = messages::Message::BridgeExportMissing;
};

}  // namespace bridge

// Shorthands that name the export once: ORVEX_BRIDGE(handle, Connect) is the
// Export; ORVEX_BRIDGE_CALL(handle, AddScene, args...) looks it up and calls it.
#define ORVEX_BRIDGE(handle, Name) ::bridge::Export<bridge_api::Name##Fn>((handle), #Name)
#define ORVEX_BRIDGE_CALL(handle, Name, ...) ORVEX_BRIDGE(handle, Name)(__VA_ARGS__)
