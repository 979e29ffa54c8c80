// Where the bridge library and the renderer-folder file are: beside the
// plug-in module, and two folders above it.
#pragma once

#include <string>

namespace bridge {

// The bridge library's file name: "OrvexPlugin" and the platform's module suffix.
std::wstring LibraryFileName();
// The plug-in module's folder, ending in a separator.
std::wstring PlugInFolder();
// The bridge library beside the plug-in.
std::wstring LibraryPath(const std::wstring& plugInFolder);
// The renderer-folder file, two folders above the plug-in folder.
std::wstring FolderFilePath(const std::wstring& plugInFolder);

}  // namespace bridge
