// HotSync log (HSLOG20.dll): C linkage, __cdecl; the entry call is exported as ordinal 52.
#pragma once

#include <windows.h>

enum Activity : int {
    slText = -1,
    slSyncStarted = 19,
    slSyncFinished = 20,
    slSyncAborted = 21,
    slWarning = 22,
};

#ifdef HSLOG20_BUILD
#define HSLOG20_API // exported through HSLOG20.def
#else
#define HSLOG20_API __declspec(dllimport)
#endif

extern "C" HSLOG20_API long __cdecl LogAddEntry(const char* text, int activity, BOOL timeStamp); // ordinal 52
