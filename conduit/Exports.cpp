// The six functions HotSync Manager calls, exported by their undecorated names, and the library's
// load and unload. Nothing here lets an exception out.
#include "conduit/ConduitApp.h"
#include "conduit/SyncDriver.h"
#include "interfaces/palm/CondAPI.h"
#include "settings/InstalledLayout.h"

#include <cstring>

#define CONDUIT_EXPORT extern "C" __declspec(dllexport)

namespace {

ConduitApp theApp;

constexpr DWORD kConduitVersion = 0x101;
constexpr DWORD kCfgConduitBlockSize = 352;

enum ConduitResult : long {
    kNothingDone = -1,
    kBadInfoKind = 0x1070,
    kNullOutput = 0x1071,
    kBadInfoSize = 0x1073,
    kNullRequest = 0x1074,
    kBadRequest = 0x1075,
    kNullOutputSize = 0x1077,
    kNullCfgSize = 0x1078,
    kBadCfgKind = 0x1079,
    kBadCfgSize = 0x107A,
    kBadCfgVersion = 0x107B,
};

// Zero-fills `size` bytes and copies in as much of the name as fits with its terminating zero.
void CopyConduitName(char* buffer, DWORD size) {
    if (size == 0) {
        return;
    }
    std::memset(buffer, 0, size);
    std::strncpy(buffer, layout::kConduitName, size - 1);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return AfxRunLibraryStart(module);
    case DLL_PROCESS_DETACH:
        AfxRunLibraryStop();
        break;
    }
    return TRUE;
}

CONDUIT_EXPORT long __cdecl GetConduitName(char* name, WORD size) {
    CModuleContext context(theApp.ownInstance());
    CopyConduitName(name, size);
    return 0;
}

CONDUIT_EXPORT DWORD __cdecl GetConduitVersion() {
    CModuleContext context(theApp.ownInstance());
    return kConduitVersion;
}

CONDUIT_EXPORT long __cdecl GetConduitInfo(int kind, void* request, void* output, DWORD* outputSize) {
    CModuleContext context(theApp.ownInstance());
    if (output == nullptr) {
        return kNullOutput;
    }
    if (outputSize == nullptr) {
        return kNullOutputSize;
    }
    switch (kind) {
    case eConduitName: {
        if (request == nullptr) {
            return kNullRequest;
        }
        const auto* info = static_cast<const ConduitRequestInfo*>(request);
        if (info->dwVersion != kConduitRequestVersion || info->dwSize != kConduitRequestSize) {
            return kBadRequest;
        }
        CopyConduitName(static_cast<char*>(output), *outputSize);
        return 0;
    }
    case eMfcVersion:
    case eDefaultAction: {
        if (*outputSize != sizeof(DWORD)) {
            return kBadInfoSize;
        }
        DWORD value = kind == eMfcVersion ? kMfcVersion42 : 0;
        std::memcpy(output, &value, sizeof(value));
        return 0;
    }
    default:
        return kBadInfoKind;
    }
}

// The conduit has no settings dialog: its settings are edited in the manager.
CONDUIT_EXPORT long __cdecl ConfigureConduit(void*) {
    CModuleContext context(theApp.ownInstance());
    return kNothingDone;
}

CONDUIT_EXPORT long __cdecl CfgConduit(int kind, void* arguments, DWORD* argumentsSize) {
    CModuleContext context(theApp.ownInstance());
    if (arguments == nullptr) {
        return kNullRequest;
    }
    if (argumentsSize == nullptr) {
        return kNullCfgSize;
    }
    if (*argumentsSize != kCfgConduitBlockSize) {
        return kBadCfgSize;
    }
    if (kind != 0) {
        return kBadCfgKind;
    }
    DWORD version = 0;
    std::memcpy(&version, arguments, sizeof(version));
    if (version != 1) {
        return kBadCfgVersion;
    }
    return kNothingDone;
}

CONDUIT_EXPORT long __cdecl OpenConduit(PROGRESSFN progress, CSyncProperties*) {
    CModuleContext context(theApp.ownInstance());
    return RunSynchronisation(progress);
}
