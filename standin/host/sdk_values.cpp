#include "standin/host/sdk_values.h"

namespace host {

bool TryParseUuid(const std::wstring& text, ON_UUID* id) {
  std::wstring s = text;
  if (s.size() == 38 && s.front() == L'{' && s.back() == L'}') s = s.substr(1, 36);
  if (s.size() != 36) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
    if (hyphen ? s[i] != L'-' : !iswxdigit(s[i])) return false;
  }
  *id = ON_UuidFromString(s.c_str());
  return true;
}

bool MakeTwoPoint(ON_Viewport& vp) {
  vp.ChangeToTwoPointPerspectiveProjection(0.0, ON_3dVector::ZAxis, 50.0);
  return vp.IsTwoPointPerspectiveProjection();
}

}  // namespace host
