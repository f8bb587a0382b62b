// The platform layer's one door to the Windows API (the host build gets the stand-in's header).
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
