#include <windows.h>
// The shell and COM headers below need the definitions of <windows.h> first.

#include <rpc.h>

#include "platform/platform.h"

namespace platform {

std::string NewUuidText() {
  UUID id;
  // RPC_S_UUID_LOCAL_ONLY still gives a usable id: only unique to this computer.
  const RPC_STATUS created = UuidCreate(&id);
  if (created != RPC_S_OK && created != RPC_S_UUID_LOCAL_ONLY) return std::string();
  RPC_CSTR text = nullptr;
  if (UuidToStringA(&id, &text) != RPC_S_OK) return std::string();
  std::string result(reinterpret_cast<const char*>(text));
  RpcStringFreeA(&text);
  return result;
}

}  // namespace platform
