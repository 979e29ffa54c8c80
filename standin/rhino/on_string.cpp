#include "on_string.h"

#include "platform/platform.h"

ON_wString::ON_wString(const char* utf8) {
  if (!utf8) return;
  auto wide = platform::Utf8ToWide(utf8);
  m_s = wide ? *wide : platform::AnsiToWide(utf8);
}

ON_wString ON_wString::Left(int count) const {
  if (count <= 0) return ON_wString();
  return ON_wString(m_s.substr(0, static_cast<size_t>(count)));
}
