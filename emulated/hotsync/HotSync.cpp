// The HotSync host: attaches an emulated handheld, finds the conduits the way HotSync Manager does
// (through their registrations with condmgr.dll beside this program, or one named on the command
// line), asks each who it is, runs its synchronisation and prints the HotSync log.
#include "interfaces/palm/CondAPI.h"
#include "interfaces/palm/CondMgr.h"
#include "interfaces/palm/HSLog.h"
#include "settings/InstalledLayout.h"
#include "emulated/palm/HandheldEmu.h"
#include "win/Handles.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

// The emulated handheld's folder beside this program, used when none is named.
constexpr const char* kDefaultHandheldFolderName = "Handheld";

void PrintUsage() {
    std::printf("usage: hotsync [--handheld FOLDER] [--conduit DLL] [--free-ram BYTES]\n"
                "  Runs one HotSync against the emulated handheld kept in FOLDER (default: the folder\n"
                "  Handheld beside this program) and prints the HotSync log. The conduits are the ones\n"
                "  registered with condmgr.dll beside this program, in the order of their priorities;\n"
                "  --conduit runs the one library DLL instead.\n");
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
    return true;
}

// This program's folder, with a trailing backslash.
std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    return folder.substr(0, folder.find_last_of('\\') + 1);
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

// Loads one conduit library, asks it who it is and runs its synchronisation for `creator`.
bool RunConduit(const std::string& path, DWORD creator) {
    win::Module conduit(LoadLibraryA(path.c_str()));
    if (!conduit) {
        std::fprintf(stderr, "hotsync: cannot load %s (error %lu)\n", path.c_str(), GetLastError());
        return false;
    }
    auto getName = Export<GetConduitNameFn>(conduit.get(), "GetConduitName");
    auto getVersion = Export<GetConduitVersionFn>(conduit.get(), "GetConduitVersion");
    auto getInfo = Export<GetConduitInfoFn>(conduit.get(), "GetConduitInfo");
    auto openConduit = Export<OpenConduitFn>(conduit.get(), "OpenConduit");
    if (!getName || !getVersion || !getInfo || !openConduit) {
        std::fprintf(stderr, "hotsync: %s is not a conduit\n", path.c_str());
        return false;
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
    properties.m_Creator = creator;
    long result = openConduit(ShowProgress, &properties);
    std::printf("OpenConduit returned %ld\n", result);
    return result == 0;
}

struct Registration {
    std::string creator;
    std::string library;
    DWORD priority = 0;
};

DWORD PackedCreator(const std::string& creator) {
    DWORD packed = 0;
    for (char c : creator) {
        packed = packed << 8 | static_cast<BYTE>(c);
    }
    return packed;
}

// A registration names its library without a folder: HotSync Manager loads it from its own.
bool IsBareName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:") == std::string::npos && name != "." && name != "..";
}

// The registered conduits, lowest priority first (registration order among equals). The
// Conduit Manager is loaded for the listing only.
bool ListRegistrations(const std::string& condMgrPath, std::vector<Registration>& registrations) {
    win::Module condMgr(LoadLibraryA(condMgrPath.c_str()));
    if (!condMgr) {
        std::fprintf(stderr, "hotsync: cannot load %s (error %lu)\n", condMgrPath.c_str(), GetLastError());
        return false;
    }
    auto count = Export<condmgr::GetConduitCountFn>(condMgr.get(), condmgr::kGetConduitCount);
    auto creatorByIndex =
        Export<condmgr::GetCreatorIDByIndexFn>(condMgr.get(), condmgr::kGetCreatorIDByIndex);
    auto getName = Export<condmgr::GetCreatorNameFn>(condMgr.get(), condmgr::kGetCreatorName);
    auto getPriority = Export<condmgr::GetCreatorPriorityFn>(condMgr.get(), condmgr::kGetCreatorPriority);
    if (!count || !creatorByIndex || !getName || !getPriority) {
        std::fprintf(stderr, "hotsync: %s lacks the Conduit Manager's listing calls\n", condMgrPath.c_str());
        return false;
    }
    int total = count();
    if (total < 0) {
        std::fprintf(stderr, "hotsync: the Conduit Manager cannot list its conduits (%d)\n", total);
        return false;
    }
    for (int i = 0; i < total; ++i) {
        char creator[5] = {};
        char library[MAX_PATH] = {};
        int size = sizeof(library);
        Registration registration;
        if (creatorByIndex(i, creator) != condmgr::kOk || getName(creator, library, &size) != condmgr::kOk ||
            getPriority(creator, &registration.priority) != condmgr::kOk) {
            std::fprintf(stderr, "hotsync: cannot read registration %d\n", i);
            return false;
        }
        registration.creator = creator;
        registration.library = library;
        registrations.push_back(registration);
    }
    std::stable_sort(registrations.begin(), registrations.end(),
                     [](const Registration& a, const Registration& b) { return a.priority < b.priority; });
    return true;
}

// HotSync Manager's way: every registered conduit in turn. False when one could not run or failed.
bool RunRegisteredConduits() {
    std::string folder = ProgramFolder();
    std::vector<Registration> registrations;
    if (!ListRegistrations(folder + layout::kCondMgrFileName, registrations)) {
        return false;
    }
    if (registrations.empty()) {
        std::printf("No conduit is registered: nothing to synchronise.\n");
        return true;
    }
    bool allRan = true;
    for (const Registration& registration : registrations) {
        std::printf("registered conduit: %s, %s, priority %lu\n", registration.creator.c_str(),
                    registration.library.c_str(), registration.priority);
        if (!IsBareName(registration.library)) {
            std::fprintf(stderr, "hotsync: the conduit of %s is not a library name of this folder: \"%s\"\n",
                         registration.creator.c_str(), registration.library.c_str());
            allRan = false;
            continue;
        }
        allRan = RunConduit(folder + registration.library, PackedCreator(registration.creator)) && allRan;
    }
    return allRan;
}

int RunHotSync(const Options& options) {
    std::string handheld =
        options.handheld.empty() ? ProgramFolder() + kDefaultHandheldFolderName : options.handheld;
    if (!EmuAttachHandheld(handheld.c_str())) {
        std::fprintf(stderr, "hotsync: cannot attach the handheld folder %s\n", handheld.c_str());
        return 1;
    }
    if (options.freeRamGiven) {
        EmuSetFreeRam(options.freeRam);
    }
    bool succeeded = options.conduit.empty() ? RunRegisteredConduits()
                                             : RunConduit(options.conduit, PackedCreator(layout::kCreatorId));
    PrintLog();
    return succeeded ? 0 : 1;
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
