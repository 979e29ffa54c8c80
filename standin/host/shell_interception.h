// Windows: the plug-in calls the shell itself (the folder chooser and
// ShellExecuteW, from its own copy of the platform services), where on Linux it
// shares the host's desktop. So that the host still answers the chooser and
// sees every shell open, it points the module's imports of those functions at
// its own desktop, as a test harness would.
#pragma once

// Patches the loaded module's import slots for SHBrowseForFolderW,
// SHGetPathFromIDListW and ShellExecuteW, those of them it imports.
void InterceptShellCalls(void* module);
