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

void AppendFace(ON_Mesh& mesh, int a, int b, int c, int d) {
  ON_MeshFace& face = mesh.m_F.AppendNew();
  face.vi[0] = a;
  face.vi[1] = b;
  face.vi[2] = c;
  face.vi[3] = d;
}

}  // namespace host
