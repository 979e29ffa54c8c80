#include "rhino_plugin.h"

#include "platform/platform.h"
#include "standin_state.h"

CRhinoPlugIn::CRhinoPlugIn() { rhino_standin::AddPlugIn(this); }
CRhinoPlugIn::~CRhinoPlugIn() { rhino_standin::RemovePlugIn(this); }

BOOL CRhinoPlugIn::GetPlugInFolder(ON_wString& result) const {
  const std::wstring path = rhino_standin::PlugInModulePath();
  const size_t cut = path.find_last_of(platform::PathSeparator());
  if (cut == std::wstring::npos) return FALSE;
  result = ON_wString(path.c_str(), static_cast<int>(cut + 1));
  return TRUE;
}

CRhinoCommand::CRhinoCommand(bool bTransparent, bool bDoNotRepeat, const CRhinoPlugIn*,
                             bool bTestCommand)
    : m_transparent(bTransparent), m_do_not_repeat(bDoNotRepeat), m_test_command(bTestCommand) {
  rhino_standin::AddCommand(this);
}

CRhinoCommand::~CRhinoCommand() { rhino_standin::RemoveCommand(this); }

const wchar_t* CRhinoCommand::EnglishCommandName() const {
  return const_cast<CRhinoCommand*>(this)->EnglishCommandName();
}

const wchar_t* CRhinoCommand::LocalCommandName() const { return EnglishCommandName(); }
