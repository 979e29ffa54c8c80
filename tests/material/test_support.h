// Helpers shared by the material tests: building textures and materials, and
// reading one element's text out of a record.
#pragma once

#include <string>

#include "RhinoSdk.h"
#include "standin/host/sdk_values.h"

namespace material::test {

inline ON_Texture MakeTexture(ON_Texture::TYPE type, const wchar_t* path, double amount = 1.0,
                              bool on = true) {
  ON_Texture texture;
  texture.m_type = type;
  texture.m_image_file_reference = host::FileReferenceAsWritten(path);
  texture.m_blend_constant_A = amount;
  texture.m_bOn = on;
  return texture;
}

inline ON_Texture MakeTexture(unsigned int code, const wchar_t* path, double amount = 1.0) {
  return MakeTexture(static_cast<ON_Texture::TYPE>(code), path, amount);
}

// The text between the first <tag> and the </tag> after it; "<missing>" when
// the record has no such element.
inline std::wstring ElementText(const std::wstring& record, const std::wstring& tag) {
  const std::wstring open = L"<" + tag + L">";
  const std::wstring close = L"</" + tag + L">";
  const auto begin = record.find(open);
  if (begin == std::wstring::npos) return L"<missing>";
  const auto start = begin + open.size();
  const auto end = record.find(close, start);
  if (end == std::wstring::npos) return L"<missing>";
  return record.substr(start, end - start);
}

// How often <tag> opens in the record.
inline int ElementCount(const std::wstring& record, const std::wstring& tag) {
  const std::wstring open = L"<" + tag + L">";
  int count = 0;
  for (auto at = record.find(open); at != std::wstring::npos; at = record.find(open, at + 1))
    ++count;
  return count;
}

}  // namespace material::test
