#include "rhino_app.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "message_loop.h"
#include "platform/platform.h"
#include "rhino_event_watcher.h"
#include "standin_state.h"

bool CRhinoViewport::SetVP(const ON_Viewport& vp, BOOL, BOOL) {
  m_vp = vp;
  return true;
}

void CRhinoApp::Print(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(length));
  }
  va_end(args);
  rhino_standin::EmitPrint(text);
}

void CRhinoApp::Print(const wchar_t* format, ...) const {
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list args;
    va_start(args, format);
    const int length = std::vswprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (length >= 0) {
      rhino_standin::EmitPrint(platform::WideToUtf8(std::wstring_view(buffer.data(), length)));
      return;
    }
    if (buffer.size() > (1u << 24)) return;  // not a size problem: a bad format
    buffer.resize(buffer.size() * 4);
  }
}

CRhinoDoc* CRhinoApp::StandinOpenDocument(std::unique_ptr<CRhinoDoc> doc) {
  StandinCloseDocument();
  m_doc = std::move(doc);
  return m_doc.get();
}

void CRhinoApp::StandinCloseDocument() {
  if (!m_doc) return;
  rhino_standin::RaiseCloseDocument(*m_doc);
  m_doc.reset();
}

CRhinoView& CRhinoApp::StandinCreateView() {
  m_views.push_back(std::make_unique<CRhinoView>());
  m_active_view = m_views.back().get();
  return *m_views.back();
}

CRhinoApp& RhinoApp() {
  static CRhinoApp app;
  return app;
}

int RhinoMessageBox(HWND, const wchar_t* message, const wchar_t* title, UINT type) {
  return rhino_standin::EmitMessageBox(message ? message : L"", title ? title : L"", type);
}

int RhinoMessageBox(const wchar_t* message, const wchar_t* title, UINT type) {
  return RhinoMessageBox(nullptr, message, title, type);
}

const char* RhinoVersion::VersionQuartetString() {
  return rhino_standin::VersionQuartet().narrow.c_str();
}

const wchar_t* RhinoVersion::VersionQuartetWideString() {
  return rhino_standin::VersionQuartet().wide.c_str();
}

bool CRhinoApp::CommandCanceled() const { return rhino_standin::CommandState().canceled; }

void CRhinoApp::Wait(DWORD dwMilliseconds) { rhino_standin::PumpForWait(dwMilliseconds); }

int CRhinoApp::InCommand(bool) const { return rhino_standin::CommandState().running; }

bool CRhinoApp::RunScript(unsigned int rhino_doc_sn, const wchar_t* script, int) {
  return script && rhino_standin::EmitRunScript(rhino_doc_sn, script);
}
