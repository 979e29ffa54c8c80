// The ten commands of the plug-in, by the names the host runs them under.
#pragma once

inline constexpr const char* kStart = "OrvexConverterStart";
inline constexpr const char* kStop = "OrvexConverterStop";
inline constexpr const char* kSendModel = "OrvexConverterSendModel";
inline constexpr const char* kSendLights = "OrvexConverterSendLights";
inline constexpr const char* kSendScenes = "OrvexConverterSendScenes";
inline constexpr const char* kViewSyncOn = "OrvexConverterViewSyncOn";
inline constexpr const char* kViewSyncOff = "OrvexConverterViewSyncOff";
inline constexpr const char* kWebsite = "OrvexConverterWebsite";
inline constexpr const char* kLiveSyncOn = "OrvexConverterLiveSyncOn";
inline constexpr const char* kLiveSyncOff = "OrvexConverterLiveSyncOff";
