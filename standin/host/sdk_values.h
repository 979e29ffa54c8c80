// Conversions between the host's standard-library values and openNURBS's.
#pragma once

#include <string>

#include "RhinoSdk.h"

namespace host {

inline ON_wString OnText(const std::wstring& text) {
  return ON_wString(text.c_str(), static_cast<int>(text.size()));
}

inline std::wstring WideOf(const ON_wString& text) {
  return std::wstring(static_cast<const wchar_t*>(text), static_cast<size_t>(text.Length()));
}

inline ON_UUID NewUuid() {
  ON_UUID id = ON_nil_uuid;
  ON_CreateUuid(id);
  return id;
}

// Reads "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", with or without braces, in either
// letter case; false for anything else.
bool TryParseUuid(const std::wstring& text, ON_UUID* id);

// A file reference holding the path exactly as written. SetFullPath would clean
// it for this machine: on Linux "D:\maps\a.png" would become "/maps/a.png",
// where Rhino on Windows keeps it.
inline ON_FileReference FileReferenceAsWritten(const wchar_t* path) {
  return ON_FileReference(path, L"", ON_ContentHash::Unset, ON_FileReference::Status::Unknown);
}

// A face appended to the mesh's face list: a triangle repeats c as d.
inline void AppendFace(ON_Mesh& mesh, int a, int b, int c, int d) {
  ON_MeshFace& face = mesh.m_F.AppendNew();
  face.vi[0] = a;
  face.vi[1] = b;
  face.vi[2] = c;
  face.vi[3] = d;
}

// Makes the view a two-point perspective one, as openNURBS knows it: a
// perspective camera locked upright on the world Z axis, looking level, its
// frustum symmetric left to right but not top to bottom. False, with the view
// changed in part, when the camera looks straight up or down (or has no
// direction): no level direction is near it.
bool MakeTwoPoint(ON_Viewport& vp);
// Why a view cannot be made two-point.
inline constexpr const char* kNoTwoPointView =
    "a two-point view keeps its camera upright on the Z axis, so it cannot look straight up or "
    "down";

}  // namespace host
