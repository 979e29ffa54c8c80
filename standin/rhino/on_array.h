// The SDK's dynamic arrays, as far as the plug-in uses them.
#pragma once

#include <cstddef>
#include <vector>

template <class T>
class ON_SimpleArray {
 public:
  ON_SimpleArray() = default;
  explicit ON_SimpleArray(int capacity) { m_a.reserve(capacity > 0 ? capacity : 0); }
  int Count() const { return static_cast<int>(m_a.size()); }
  void Append(const T& x) { m_a.push_back(x); }
  T& AppendNew() { return m_a.emplace_back(); }
  T& operator[](int i) { return m_a[static_cast<std::size_t>(i)]; }
  const T& operator[](int i) const { return m_a[static_cast<std::size_t>(i)]; }
  T* At(int i) { return i >= 0 && i < Count() ? &m_a[static_cast<std::size_t>(i)] : nullptr; }
  const T* At(int i) const {
    return i >= 0 && i < Count() ? &m_a[static_cast<std::size_t>(i)] : nullptr;
  }
  T* Array() { return m_a.data(); }
  const T* Array() const { return m_a.data(); }
  void Empty() { m_a.clear(); }
  void Reserve(int n) { m_a.reserve(n > 0 ? static_cast<std::size_t>(n) : 0); }
  void SetCount(int n) { m_a.resize(n > 0 ? static_cast<std::size_t>(n) : 0); }
  int Capacity() const { return static_cast<int>(m_a.capacity()); }

  std::vector<T>& Std() { return m_a; }
  const std::vector<T>& Std() const { return m_a; }

 private:
  std::vector<T> m_a;
};

template <class T>
class ON_ClassArray : public ON_SimpleArray<T> {};

template <class T>
class ON_ObjectArray : public ON_ClassArray<T> {};
