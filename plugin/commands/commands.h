// The commands of the plug-in: the ten a user types, and the one live sync
// runs itself. Each run checks the link state, calls the
// flow that does the work, prints a console line and reports a usage event.
// Every run returns success: failures reach the user as messages.
#pragma once

#include "RhinoSdk.h"

// The command class CCommand<Name>, with its id and its English name <Name>;
// each command file defines its RunCommand.
#define ORVEX_DECLARE_COMMAND(Name, Id)                                     \
  class CCommand##Name : public CRhinoCommand {                             \
   public:                                                                  \
    CCommand##Name() : CRhinoCommand(false, false, nullptr, false) {}       \
    ~CCommand##Name() override = default;                                   \
    UUID CommandUUID() override { return ON_UuidFromString(Id); }           \
    const wchar_t* EnglishCommandName() override { return L"" #Name; }      \
    CRhinoCommand::result RunCommand(const CRhinoCommandContext&) override; \
  };

ORVEX_DECLARE_COMMAND(OrvexConverterWebsite, "3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C01")
ORVEX_DECLARE_COMMAND(OrvexConverterStart, "3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C02")
ORVEX_DECLARE_COMMAND(OrvexConverterStop, "3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C03")
ORVEX_DECLARE_COMMAND(OrvexConverterSendModel, "3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C04")
ORVEX_DECLARE_COMMAND(OrvexConverterViewSyncOn, "3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C05")
ORVEX_DECLARE_COMMAND(OrvexConverterViewSyncOff, "3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C06")
ORVEX_DECLARE_COMMAND(OrvexConverterSendScenes, "3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C07")
ORVEX_DECLARE_COMMAND(OrvexConverterSendLights, "3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C08")
ORVEX_DECLARE_COMMAND(OrvexConverterLiveSyncOn, "3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C09")
ORVEX_DECLARE_COMMAND(OrvexConverterLiveSyncOff, "3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C0A")
// Sends a large live update as a command: with the progress meter, and Esc.
ORVEX_DECLARE_COMMAND(OrvexConverterLiveUpdate, "3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C0B")

#undef ORVEX_DECLARE_COMMAND
