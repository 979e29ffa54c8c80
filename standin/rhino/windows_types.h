// The few Windows types the SDK's declarations use, as <windows.h> gives them.
#pragma once

#include "opennurbs.h"

using BOOL = int;
using UINT = unsigned int;
using HWND = void*;
using UUID = ON_UUID;
using GUID = ON_UUID;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
