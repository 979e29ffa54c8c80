// Undo: what reverts each edit of the open document, kept as the edit is made,
// and the Undo command that reverts the last one.
#include <iostream>

#include "host_session.h"

void HostSession::PushUndo(const CRhinoDoc& doc, std::function<void()> revert) {
  if (m_undo_doc != doc.RuntimeSerialNumber()) m_undo.clear();
  m_undo_doc = doc.RuntimeSerialNumber();
  m_undo.push_back(std::move(revert));
}

bool HostSession::Undo(const std::string&, const Arguments& args) {
  if (!args.empty()) {
    std::cerr << "Undo takes no arguments" << std::endl;
    return false;
  }
  // The edits kept belong to the document open when they were made.
  const CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (!doc || doc->RuntimeSerialNumber() != m_undo_doc) m_undo.clear();
  if (m_undo.empty()) {
    std::cerr << "Undo: nothing to undo" << std::endl;
    return true;
  }
  const std::function<void()> revert = std::move(m_undo.back());
  m_undo.pop_back();
  revert();
  return true;
}
