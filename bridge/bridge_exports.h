// Calls into the bridge library by export name. Each call looks its export up
// at the moment it is made, or through an export bound for a run of calls on
// the same handle; a missing export shows "Get dll func error" and the call is
// skipped, at every call.
#pragma once

#include <optional>
#include <type_traits>
#include <utility>

#include "bridge/bridge_api.h"
#include "bridge/bridge_handle.h"

namespace bridge {

// The export's address as the given function type, or null (no message).
template <class Fn>
Fn FindExport(const BridgeHandle& handle, const char* name) {
  return reinterpret_cast<Fn>(platform::FindExport(handle.module, name));
}

// Shows the bilingual "Get dll func error" box.
void ShowExportMissing();

// Calls a void export; false (after the message) when it is missing.
template <class Fn, class... Args>
bool Call(const BridgeHandle& handle, const char* name, Args&&... args) {
  Fn fn = FindExport<Fn>(handle, name);
  if (!fn) {
    ShowExportMissing();
    return false;
  }
  fn(std::forward<Args>(args)...);
  return true;
}

// Calls an export with a result; nullopt (after the message) when it is missing.
template <class Fn, class... Args>
auto CallWithResult(const BridgeHandle& handle, const char* name, Args&&... args)
    -> std::optional<std::invoke_result_t<Fn, Args...>> {
  Fn fn = FindExport<Fn>(handle, name);
  if (!fn) {
    ShowExportMissing();
    return std::nullopt;
  }
  return fn(std::forward<Args>(args)...);
}

// One export looked up once and called any number of times, for a run of
// calls on one handle: a library stays loaded in its handle, so its export
// keeps the address found. Each call through it behaves as a call by name: a
// missing export shows the message at every call and that call is skipped.
template <class Fn>
class BoundExport {
 public:
  BoundExport(const BridgeHandle& handle, const char* name) : m_fn(FindExport<Fn>(handle, name)) {}

  // False (after the message) when the export is missing.
  template <class... Args>
  bool operator()(Args&&... args) const {
    if (!m_fn) {
      ShowExportMissing();
      return false;
    }
    m_fn(std::forward<Args>(args)...);
    return true;
  }

 private:
  Fn m_fn;
};

}  // namespace bridge

// Shorthands that name the export once: ORVEX_BRIDGE_CALL(handle, AddScene, args...).
#define ORVEX_BRIDGE_CALL(handle, Export, ...) \
  ::bridge::Call<bridge_api::Export##Fn>((handle), #Export, ##__VA_ARGS__)
#define ORVEX_BRIDGE_CALL_RESULT(handle, Export, ...) \
  ::bridge::CallWithResult<bridge_api::Export##Fn>((handle), #Export, ##__VA_ARGS__)
// The export bound for a run of calls: ORVEX_BRIDGE_BOUND(handle, AddInstance).
#define ORVEX_BRIDGE_BOUND(handle, Export) \
  ::bridge::BoundExport<bridge_api::Export##Fn>((handle), #Export)
