// The one header portable code includes for Win32 types: the real SDK on
// Windows, our own small layer elsewhere.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "platform/win32/types.h"
#include "platform/win32/gdi.h"
#endif
