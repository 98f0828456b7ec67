// Palm's common library (PalmCmn.dll): loads a conduit's language resource library.
// C linkage, __cdecl; exported as ordinals 2 and 3.
#pragma once

#include <windows.h>

#ifdef PALMCMN_BUILD
#define PALMCMN_API // exported through PalmCmn.def
#else
#define PALMCMN_API __declspec(dllimport)
#endif

extern "C" {
// Ordinal 2. `reserved` receives a value its caller does not read.
PALMCMN_API HINSTANCE __cdecl PalmLoadLanguage(const char* fileName, HINSTANCE owner, DWORD* reserved);
// Ordinal 3.
PALMCMN_API void __cdecl PalmFreeLanguage(HINSTANCE language, HINSTANCE owner);
}
