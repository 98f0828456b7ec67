// The HotSync host: attaches an emulated handheld, loads a conduit the way HotSync Manager does,
// asks it who it is, runs one synchronisation and prints the HotSync log.
#include "interfaces/palm/CondAPI.h"
#include "interfaces/palm/HSLog.h"
#include "emulated/palm/HandheldEmu.h"
#include "win/Handles.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

typedef long(__cdecl* GetConduitNameFn)(char*, WORD);
typedef DWORD(__cdecl* GetConduitVersionFn)();
typedef long(__cdecl* GetConduitInfoFn)(int, void*, void*, DWORD*);
typedef long(__cdecl* OpenConduitFn)(PROGRESSFN, CSyncProperties*);

struct Options {
    std::string handheld;
    std::string conduit;
    DWORD freeRam = 0;
    bool freeRamGiven = false;
};

void PrintUsage() {
    std::printf("usage: hotsync --handheld FOLDER [--conduit DLL] [--free-ram BYTES]\n"
                "  Runs one HotSync of the conduit (default: KestrinConduit.dll beside this program)\n"
                "  against the emulated handheld kept in FOLDER, and prints the HotSync log.\n");
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--handheld" && hasValue) {
            options.handheld = argv[++i];
        } else if (arg == "--conduit" && hasValue) {
            options.conduit = argv[++i];
        } else if (arg == "--free-ram" && hasValue) {
            options.freeRam = std::strtoul(argv[++i], nullptr, 0);
            options.freeRamGiven = true;
        } else {
            return false;
        }
    }
    return !options.handheld.empty();
}

std::string DefaultConduitPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "KestrinConduit.dll";
}

long __cdecl ShowProgress(char* text) {
    std::printf("progress: %s\n", text ? text : "");
    return 0;
}

const char* ActivityName(int activity) {
    switch (activity) {
    case slSyncStarted:
        return "sync started";
    case slSyncFinished:
        return "sync finished";
    case slSyncAborted:
        return "sync aborted";
    case slWarning:
        return "warning";
    default:
        return "text";
    }
}

void PrintLog() {
    std::printf("HotSync log:\n");
    for (int i = 0; i < EmuLogEntryCount(); ++i) {
        char text[1024] = {};
        int activity = 0;
        BOOL timeStamp = FALSE;
        EmuLogEntry(i, text, sizeof(text), &activity, &timeStamp);
        std::printf("  [%d %s] \"%s\"\n", activity, ActivityName(activity), text);
    }
}

template <class Fn> Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int RunHotSync(const Options& options) {
    if (!EmuAttachHandheld(options.handheld.c_str())) {
        std::fprintf(stderr, "hotsync: cannot attach the handheld folder %s\n", options.handheld.c_str());
        return 1;
    }
    if (options.freeRamGiven) {
        EmuSetFreeRam(options.freeRam);
    }
    std::string conduitPath = options.conduit.empty() ? DefaultConduitPath() : options.conduit;
    win::Module conduit(LoadLibraryA(conduitPath.c_str()));
    if (!conduit) {
        std::fprintf(stderr, "hotsync: cannot load %s (error %lu)\n", conduitPath.c_str(), GetLastError());
        return 1;
    }
    auto getName = Export<GetConduitNameFn>(conduit.get(), "GetConduitName");
    auto getVersion = Export<GetConduitVersionFn>(conduit.get(), "GetConduitVersion");
    auto getInfo = Export<GetConduitInfoFn>(conduit.get(), "GetConduitInfo");
    auto openConduit = Export<OpenConduitFn>(conduit.get(), "OpenConduit");
    if (!getName || !getVersion || !getInfo || !openConduit) {
        std::fprintf(stderr, "hotsync: %s is not a conduit\n", conduitPath.c_str());
        return 1;
    }

    char name[64] = {};
    getName(name, sizeof(name));
    DWORD version = getVersion();
    DWORD mfcVersion = 0;
    DWORD size = sizeof(mfcVersion);
    getInfo(eMfcVersion, nullptr, &mfcVersion, &size);
    std::printf("conduit: %s, version 0x%lx, MFC version 0x%lx\n", name, version, mfcVersion);

    CSyncProperties properties = {};
    properties.m_SyncType = eFast;
    properties.m_Creator = 0x76714B54;
    long result = openConduit(ShowProgress, &properties);
    std::printf("OpenConduit returned %ld\n", result);
    PrintLog();
    return result == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        PrintUsage();
        return 2;
    }
    return RunHotSync(options);
}
