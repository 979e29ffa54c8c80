// The host's status-bar progress meter over a run of objects: started with
// their number, moved at most about a hundred times, ended when it goes out
// of scope.
#pragma once

#include "RhinoSdk.h"

namespace model_export {

class ProgressMeter {
 public:
  // No meter without a document or without objects.
  ProgressMeter(const CRhinoDoc* doc, int total, const wchar_t* label);
  ~ProgressMeter();
  ProgressMeter(const ProgressMeter&) = delete;
  ProgressMeter& operator=(const ProgressMeter&) = delete;

  // One more object done.
  void Step();

 private:
  // The meter belongs to the document's window, not to its content, so a send
  // that only reads the document still moves it.
  CRhinoDoc* m_doc = nullptr;
  int m_total = 0;
  int m_done = 0;
  int m_shown = 0;
  int m_stride = 1;
};

}  // namespace model_export
