// The renderer-folder file: one UTF-8 line naming the renderer's installation
// folder, kept two folders above the plug-in folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bridge {

// The folder stored in the file's bytes: everything up to the first line feed,
// without a carriage return just before it, decoded from UTF-8. nullopt when
// the line is not valid UTF-8 or holds a character beyond one 16-bit unit.
std::optional<std::wstring> DecodeFolderLine(std::string_view bytes);

// Reads the file; nullopt when it cannot be opened or holds no usable folder.
// *opened tells whether the file existed and could be read.
std::optional<std::wstring> ReadFolderFile(const std::wstring& path, bool* opened);

// Replaces the file's content with the folder as UTF-8, with no line end.
void WriteFolderFile(const std::wstring& path, const std::wstring& folder);

// The folder stored beside this plug-in; nullopt when there is none.
std::optional<std::wstring> StoredInstallationFolder();
// Whether the folder file can hold the folder so that the next load reads it
// back: a character beyond one 16-bit unit cannot be.
bool CanStoreInstallationFolder(const std::wstring& folder);
// Stores the folder for every later load.
void StoreInstallationFolder(const std::wstring& folder);

}  // namespace bridge
