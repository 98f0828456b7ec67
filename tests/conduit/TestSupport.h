// Shared set-up for the conduit's tests: a scratch handheld, the Settings store, the conduit DLL.
#pragma once

#include "interfaces/palm/CondAPI.h"
#include "tests/support/Files.h"
#include "win/Handles.h"

#include <windows.h>

#include <string>

namespace testing {

using testsupport::ScratchFolder;

// The Settings store as Setup leaves it, with the two folders given; an empty folder is not written.
void WriteDefaultSettings(const std::string& sendFolder, const std::string& receiveFolder);
void DeleteSettings();

// The conduit library as HotSync Manager loads it, with its exports.
struct ConduitDll {
    ConduitDll();

    win::Module module;
    long(__cdecl* getConduitName)(char*, WORD) = nullptr;
    DWORD(__cdecl* getConduitVersion)() = nullptr;
    long(__cdecl* getConduitInfo)(int, void*, void*, DWORD*) = nullptr;
    long(__cdecl* configureConduit)(void*) = nullptr;
    long(__cdecl* cfgConduit)(int, void*, DWORD*) = nullptr;
    long(__cdecl* openConduit)(PROGRESSFN, CSyncProperties*) = nullptr;
};

long __cdecl IgnoreProgress(char*);

} // namespace testing
