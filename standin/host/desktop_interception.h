// Windows: the plug-in calls the system itself (the folder chooser,
// ShellExecuteW and the system language, from its own copy of the platform
// services), where on Linux it shares the host's desktop. So that the host
// still answers the chooser and the language and sees every shell open, it
// points the module's imports of those functions at its own desktop, as a test
// harness would.
#pragma once

// Patches the loaded module's import slots for SHBrowseForFolderW,
// SHGetPathFromIDListW, ShellExecuteW and GetSystemDefaultLangID, those of them
// it imports. Without --lang the host answers the language with the system's.
void InterceptDesktopCalls(void* module);
