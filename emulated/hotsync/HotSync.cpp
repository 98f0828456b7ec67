// The HotSync host: attaches an emulated handheld, finds the conduits the way HotSync Manager does
// (through their registrations with condmgr.dll beside this program, or one named on the command
// line), asks each who it is, runs its synchronisation and prints the HotSync log. For tests it can
// answer the conduits' questions, make a Sync Manager call fail, or end itself abruptly in the middle
// of the synchronisation, as a crash or a pulled cable would.
#include "interfaces/palm/CondAPI.h"
#include "interfaces/palm/CondMgr.h"
#include "interfaces/palm/HSLog.h"
#include "interfaces/palm/SyncMgr.h"
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

struct CallCount {
    int operation = -1;
    DWORD count = 0;
};

struct Options {
    std::string handheld;
    std::string conduit;
    DWORD freeRam = 0;
    bool freeRamGiven = false;
    int answer = 0;
    CallCount fail;
    CallCount killAfter;
    DWORD killAtStep = 0;
};

const char* const kOperationNames[emuOperationCount] = {
    "register",    "open", "create",    "close",           "delete",          "write-record",
    "read-record", "find", "card-info", "read-preference", "write-preference"};

// OPERATION:N, for example write-record:5.
bool ParseCallCount(const std::string& text, CallCount& call) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    std::string name = text.substr(0, colon);
    for (int operation = 0; operation < emuOperationCount; ++operation) {
        if (name == kOperationNames[operation]) {
            call.operation = operation;
            call.count = std::strtoul(text.c_str() + colon + 1, nullptr, 10);
            return call.count > 0;
        }
    }
    return false;
}

// The emulated handheld's folder beside this program, used when none is named.
constexpr const char* kDefaultHandheldFolderName = "Handheld";

void PrintUsage() {
    std::printf("usage: hotsync [--handheld FOLDER] [--conduit DLL] [--free-ram BYTES] [--answer yes|no]\n"
                "               [--fail OPERATION:N] [--kill-after OPERATION:N] [--kill-at-step N]\n"
                "  Runs one HotSync against the emulated handheld kept in FOLDER (default: the folder\n"
                "  Handheld beside this program) and prints the HotSync log. The conduits are the ones\n"
                "  registered with condmgr.dll beside this program, in the order of their priorities;\n"
                "  --conduit runs the one library DLL instead.\n"
                "  --answer answers every question of a conduit and prints it; --fail makes the Nth\n"
                "  call of a Sync Manager operation fail; --kill-after ends this process abruptly\n"
                "  (exit code 9) right after a conduit's Nth call of the operation. Operations: register,\n"
                "  open, create, close, delete, write-record, read-record, find, card-info,\n"
                "  read-preference, write-preference. --kill-at-step ends it (exit code 9) at the\n"
                "  handheld's Nth own step in creating or committing a database.\n");
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
        } else if (arg == "--answer" && hasValue) {
            std::string answer = argv[++i];
            options.answer = answer == "yes" ? IDYES : answer == "no" ? IDNO : 0;
            if (options.answer == 0) {
                return false;
            }
        } else if (arg == "--fail" && hasValue) {
            if (!ParseCallCount(argv[++i], options.fail)) {
                return false;
            }
        } else if (arg == "--kill-after" && hasValue) {
            if (!ParseCallCount(argv[++i], options.killAfter)) {
                return false;
            }
        } else if (arg == "--kill-at-step" && hasValue) {
            options.killAtStep = std::strtoul(argv[++i], nullptr, 10);
            if (options.killAtStep == 0) {
                return false;
            }
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

// Answers the conduit's message boxes as they open: the hook sees each box activated on this thread.
int answer = 0;
HHOOK answerHook = nullptr;
HWND answeredBox = nullptr;

// A box can be activated more than once: each one is answered once.
LRESULT CALLBACK AnswerQuestion(int code, WPARAM wParam, LPARAM lParam) {
    HWND box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_DESTROYWND && box == answeredBox) {
        answeredBox = nullptr;
    }
    char className[64] = {};
    if (code == HCBT_ACTIVATE && box != answeredBox && GetClassNameA(box, className, sizeof(className)) &&
        std::string(className) == "#32770") {
        answeredBox = box;
        char text[1024] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
        std::printf("question: \"%s\"\n", text);
        std::fflush(stdout);
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
    }
    return CallNextHookEx(answerHook, code, wParam, lParam);
}

// Ends the process, without any clean-up, right after the conduit's Nth call of one Sync Manager
// operation has returned: the conduit's import of that function is pointed at a gate that counts.
DWORD killAfterCount = 0;
DWORD gatedCalls = 0;

template <class... Args> struct Gate {
    static inline long(__cdecl* original)(Args...) = nullptr;
    static long __cdecl Call(Args... args) {
        long result = original(args...);
        if (++gatedCalls == killAfterCount) {
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 9);
        }
        return result;
    }
};

struct GatedFunction {
    void* function = nullptr;
    void* gate = nullptr;
};

template <class... Args> GatedFunction GateFor(long(__cdecl* function)(Args...)) {
    Gate<Args...>::original = function;
    return {reinterpret_cast<void*>(function), reinterpret_cast<void*>(&Gate<Args...>::Call)};
}

GatedFunction GateForOperation(int operation) {
    switch (operation) {
    case emuRegister:
        return GateFor(SyncRegisterConduit);
    case emuOpen:
        return GateFor(SyncOpenDB);
    case emuCreate:
        return GateFor(SyncCreateDB);
    case emuClose:
        return GateFor(SyncCloseDB);
    case emuDelete:
        return GateFor(SyncDeleteDB);
    case emuWriteRecord:
        return GateFor(SyncWriteRec);
    case emuReadRecord:
        return GateFor(SyncReadRecordByIndex);
    case emuFind:
        return GateFor(SyncFindDbByName);
    case emuCardInfo:
        return GateFor(SyncReadSingleCardInfo);
    case emuReadPreference:
        return GateFor(SyncReadAppPreference);
    case emuWritePreference:
        return GateFor(SyncWriteAppPreference);
    default:
        return {};
    }
}

// Points the module's import of `function` at `gate`.
bool PatchImport(HMODULE module, void* function, void* gate) {
    BYTE* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         imports.VirtualAddress != 0 && library->Name != 0; ++library) {
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
             slot->u1.Function != 0; ++slot) {
            if (reinterpret_cast<void*>(slot->u1.Function) != function) {
                continue;
            }
            DWORD protection = 0;
            if (!VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &protection)) {
                return false;
            }
            slot->u1.Function = reinterpret_cast<DWORD_PTR>(gate);
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), protection, &protection);
            return true;
        }
    }
    return false;
}

bool KillAfterCalls(HMODULE conduit, const CallCount& call) {
    GatedFunction gated = GateForOperation(call.operation);
    killAfterCount = call.count;
    return gated.function != nullptr && PatchImport(conduit, gated.function, gated.gate);
}

// Loads one conduit library, asks it who it is and runs its synchronisation for `creator`.
bool RunConduit(const std::string& path, DWORD creator, const Options& options) {
    win::Module conduit(LoadLibraryA(path.c_str()));
    if (!conduit) {
        std::fprintf(stderr, "hotsync: cannot load %s (error %lu)\n", path.c_str(), GetLastError());
        return false;
    }
    auto getName = win::ProcAddress<GetConduitNameFn>(conduit.get(), "GetConduitName");
    auto getVersion = win::ProcAddress<GetConduitVersionFn>(conduit.get(), "GetConduitVersion");
    auto getInfo = win::ProcAddress<GetConduitInfoFn>(conduit.get(), "GetConduitInfo");
    auto openConduit = win::ProcAddress<OpenConduitFn>(conduit.get(), "OpenConduit");
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

    if (options.answer != 0) {
        answer = options.answer;
        answerHook = SetWindowsHookExA(WH_CBT, AnswerQuestion, nullptr, GetCurrentThreadId());
    }
    if (options.fail.operation >= 0) {
        EmuFailCall(options.fail.operation, options.fail.count);
    }
    if (options.killAfter.operation >= 0 && !KillAfterCalls(conduit.get(), options.killAfter)) {
        std::fprintf(stderr, "hotsync: the conduit does not import that operation\n");
        return 1;
    }
    std::fflush(stdout);
    if (options.killAtStep != 0) {
        EmuEndAtStorageStep(options.killAtStep);
    }

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
    auto count = win::ProcAddress<condmgr::GetConduitCountFn>(condMgr.get(), condmgr::kGetConduitCount);
    auto creatorByIndex =
        win::ProcAddress<condmgr::GetCreatorIDByIndexFn>(condMgr.get(), condmgr::kGetCreatorIDByIndex);
    auto getName = win::ProcAddress<condmgr::GetCreatorNameFn>(condMgr.get(), condmgr::kGetCreatorName);
    auto getPriority =
        win::ProcAddress<condmgr::GetCreatorPriorityFn>(condMgr.get(), condmgr::kGetCreatorPriority);
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
bool RunRegisteredConduits(const Options& options) {
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
        allRan =
            RunConduit(folder + registration.library, PackedCreator(registration.creator), options) && allRan;
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
    bool succeeded = options.conduit.empty()
                         ? RunRegisteredConduits(options)
                         : RunConduit(options.conduit, PackedCreator(layout::kCreatorId), options);
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
