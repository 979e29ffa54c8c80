// The plug-in's fixed identity: name, id, version, description, maker.
#pragma once

#include "services/update_check.h"

namespace plugin::identity {

inline constexpr const wchar_t* kName = L"OrvexConv";
inline constexpr const wchar_t* kId = L"7C3A91F2-5B0E-4D8A-9F61-2E4B8D0C7A53";
// The version the update service's answer is compared with.
inline constexpr const char* kVersion = services::kConverterVersion;
inline constexpr const wchar_t* kDescription = L"Direct Link for Orvex Render";
inline constexpr const wchar_t* kOrganization = L"Orvex Render Studio";
inline constexpr const wchar_t* kAddress = L"1 Render Way, Light City";
inline constexpr const wchar_t* kCountry = L"China";
inline constexpr const wchar_t* kPhone = L"+86-000-0000-0000";
inline constexpr const wchar_t* kEmail = L"support@orvexrender.invalid";
inline constexpr const wchar_t* kWebsite = L"https://www.orvexrender.invalid";
inline constexpr const wchar_t* kUpdateUrl = L"https://www.orvexrender.invalid/download";

}  // namespace plugin::identity
