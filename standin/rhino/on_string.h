// ON_wString and ON_String: the SDK's wide and narrow strings, as far as the
// plug-in uses them.
#pragma once

#include <string>

class ON_wString {
 public:
  ON_wString() = default;
  ON_wString(const wchar_t* s) : m_s(s ? s : L"") {}
  ON_wString(const std::wstring& s) : m_s(s) {}
  ON_wString(const char* utf8);

  int Length() const { return static_cast<int>(m_s.size()); }
  bool IsEmpty() const { return m_s.empty(); }
  const wchar_t* Array() const { return m_s.c_str(); }
  operator const wchar_t*() const { return m_s.c_str(); }
  // The first count characters (all of them when the string is shorter).
  ON_wString Left(int count) const;
  void Empty() { m_s.clear(); }

  ON_wString& operator+=(const ON_wString& s) {
    m_s += s.m_s;
    return *this;
  }
  friend ON_wString operator+(const ON_wString& a, const ON_wString& b) {
    return ON_wString(a.m_s + b.m_s);
  }
  friend bool operator==(const ON_wString& a, const ON_wString& b) { return a.m_s == b.m_s; }
  friend bool operator!=(const ON_wString& a, const ON_wString& b) { return a.m_s != b.m_s; }
  friend bool operator<(const ON_wString& a, const ON_wString& b) { return a.m_s < b.m_s; }

  const std::wstring& Std() const { return m_s; }

 private:
  std::wstring m_s;
};

class ON_String {
 public:
  ON_String() = default;
  ON_String(const char* s) : m_s(s ? s : "") {}
  ON_String(const std::string& s) : m_s(s) {}
  int Length() const { return static_cast<int>(m_s.size()); }
  bool IsEmpty() const { return m_s.empty(); }
  const char* Array() const { return m_s.c_str(); }
  operator const char*() const { return m_s.c_str(); }
  const std::string& Std() const { return m_s; }

 private:
  std::string m_s;
};
