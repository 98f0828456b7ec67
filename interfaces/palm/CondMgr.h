// Palm's Conduit Manager, condmgr.dll in the HotSync folder: stdcall, undecorated names, int results,
// negative error codes. Setup and UnInstall load it at run time by full path and look each call up
// by name; the HotSync host lists the registrations through the calls below the first four.
#pragma once

#include <windows.h>

namespace condmgr {

// Results.
inline constexpr int kOk = 0;
inline constexpr int kErrNoConduit = -1003;      // no conduit registered under that creator
inline constexpr int kErrCreatorInUse = -1005;   // a conduit is already registered under that creator
inline constexpr int kErrBadCreator = -1006;     // not exactly four characters
inline constexpr int kErrBadArgument = -1007;    // a null or overlong argument
inline constexpr int kErrRegistry = -1008;       // the registrations could not be read or written
inline constexpr int kErrBufferTooSmall = -1009; // the caller's buffer cannot hold the answer

// Conduit types for CmInstallCreator.
inline constexpr int kTypeApplication = 0;

// The calls, as GetProcAddress finds them.
inline constexpr const char* kInstallCreator = "CmInstallCreator";
inline constexpr const char* kSetCreatorName = "CmSetCreatorName";
inline constexpr const char* kSetCreatorPriority = "CmSetCreatorPriority";
inline constexpr const char* kRemoveConduitByCreatorID = "CmRemoveConduitByCreatorID";
inline constexpr const char* kGetConduitCount = "CmGetConduitCount";
inline constexpr const char* kGetCreatorIDByIndex = "CmGetCreatorIDByIndex";
inline constexpr const char* kGetCreatorName = "CmGetCreatorName";
inline constexpr const char* kGetCreatorPriority = "CmGetCreatorPriority";

using InstallCreatorFn = int(WINAPI*)(const char* creator, int type);
using SetCreatorNameFn = int(WINAPI*)(const char* creator, const char* name);
using SetCreatorPriorityFn = int(WINAPI*)(const char* creator, DWORD priority);
using RemoveConduitByCreatorIDFn = int(WINAPI*)(const char* creator);
// Number of registered conduits (>= 0), or an error.
using GetConduitCountFn = int(WINAPI*)();
// Writes the creator of registration `index` (0-based) as four characters and a zero into creator[5].
using GetCreatorIDByIndexFn = int(WINAPI*)(int index, char* creator);
// Copies the conduit's library name; *size is the buffer's size in, the bytes needed (with the zero) out.
using GetCreatorNameFn = int(WINAPI*)(const char* creator, char* name, int* size);
using GetCreatorPriorityFn = int(WINAPI*)(const char* creator, DWORD* priority);

} // namespace condmgr
