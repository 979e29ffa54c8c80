// The SDK's strings and arrays as the plug-in's own code reads them: the SDK
// offers no standard-library view of either.
#pragma once

#include <string>

#include "RhinoSdk.h"

namespace common {

// The characters of an SDK string as a standard wide string.
inline std::wstring WideText(const ON_wString& text) {
  return std::wstring(static_cast<const wchar_t*>(text), static_cast<size_t>(text.Length()));
}

// The elements of an SDK array, for a range-based loop.
template <class T>
class ArrayItems {
 public:
  ArrayItems(const T* first, int count) : m_first(first), m_count(count > 0 ? count : 0) {}
  const T* begin() const { return m_first; }
  const T* end() const { return m_first + m_count; }

 private:
  const T* m_first;
  int m_count;
};

template <class T>
ArrayItems<T> Items(const ON_SimpleArray<T>& array) {
  return ArrayItems<T>(array.Array(), array.Count());
}

template <class T>
ArrayItems<T> Items(const ON_ClassArray<T>& array) {
  return ArrayItems<T>(array.Array(), array.Count());
}

}  // namespace common
