// Texts cross the bridge as NUL-terminated UTF-16. The host's wide text is
// converted here, at the bridge boundary, and nowhere else.
#pragma once

#include <string>
#include <string_view>

#include "bridge/bridge_api.h"
#include "platform/platform.h"

class BridgeText {
 public:
  explicit BridgeText(std::wstring_view text)
#if defined(_WIN32)
      : m_text(text){}
#else
      : m_text(platform::WideToUtf16(text)) {
  }
#endif
        const BridgeChar
        *
        c_str() const {
    return m_text.c_str();
  }

 private:
  std::basic_string<BridgeChar> m_text;
};
