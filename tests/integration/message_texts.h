// Message-box texts that several test files look for.
#pragma once

inline constexpr const char* kLoadMessage = "Dll error for initting the  handle";
inline constexpr const char* kCodeOneMessage =
    "Failed to start the Orvex Render! Failed to find the Orvex Render installation path. Click "
    "OK to manually specify the installation directory.";
