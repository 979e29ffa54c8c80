// The eight commands of the plug-in. Each run checks the link state, calls the
// flow that does the work, prints a console line and reports a usage event.
// Every run returns success: failures reach the user as messages.
#pragma once

#include "RhinoSdk.h"

#define ORVEX_DECLARE_COMMAND(Class)                                        \
  class Class : public CRhinoCommand {                                      \
   public:                                                                  \
    Class() : CRhinoCommand(false, false, nullptr, false) {}                \
    ~Class() override = default;                                            \
    UUID CommandUUID() override;                                            \
    const wchar_t* EnglishCommandName() override;                           \
    CRhinoCommand::result RunCommand(const CRhinoCommandContext&) override; \
  };

ORVEX_DECLARE_COMMAND(CCommandOrvexConverterWebsite)
ORVEX_DECLARE_COMMAND(CCommandOrvexConverterStart)
ORVEX_DECLARE_COMMAND(CCommandOrvexConverterStop)
ORVEX_DECLARE_COMMAND(CCommandOrvexConverterSendModel)
ORVEX_DECLARE_COMMAND(CCommandOrvexConverterViewSyncOn)
ORVEX_DECLARE_COMMAND(CCommandOrvexConverterViewSyncOff)
ORVEX_DECLARE_COMMAND(CCommandOrvexConverterSendScenes)
ORVEX_DECLARE_COMMAND(CCommandOrvexConverterSendLights)

#undef ORVEX_DECLARE_COMMAND
