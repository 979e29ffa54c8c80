// Texts cross the bridge as NUL-terminated UTF-16. The host's wide text is
// converted here, at the bridge boundary, and nowhere else.
#pragma once

#include <string>
#include <string_view>

#include "bridge/bridge_api.h"
#include "platform/native.h"

namespace bridge {

class Text {
 public:
  explicit Text(std::wstring_view text) : m_text(platform::WideToUtf16Units(text)) {}
  const BridgeChar* c_str() const { return m_text.c_str(); }

 private:
  std::basic_string<BridgeChar> m_text;
};

}  // namespace bridge
