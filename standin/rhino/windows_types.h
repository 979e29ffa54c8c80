// The few Windows types the SDK's declarations use: on Windows from <windows.h>
// (which openNURBS includes, lean) and <rpc.h>, elsewhere as they give them.
#pragma once

#include "opennurbs.h"

#if defined(_WIN32)
#include <rpc.h>
#else
using BOOL = int;
using UINT = unsigned int;
using DWORD = unsigned int;  // 32 bits, as on Windows
using HWND = void*;
using UUID = ON_UUID;
using GUID = ON_UUID;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#endif
