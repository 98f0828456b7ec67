// Calls condmgr.dll from a process of its own, the way Setup and UnInstall do: loaded by its path,
// each call looked up by name. Prints every result; exits 0 when all of them were 0.
//   condmgr_tool DLL register CREATOR LIBRARY PRIORITY   (install, then name and priority, as Setup)
//   condmgr_tool DLL install CREATOR TYPE | name CREATOR LIBRARY | priority CREATOR N | remove CREATOR
//   condmgr_tool DLL list                                 (one "CREATOR PRIORITY LIBRARY" line each)
#include "interfaces/palm/CondMgr.h"
#include "win/Handles.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Calls {
    condmgr::InstallCreatorFn install = nullptr;
    condmgr::SetCreatorNameFn setName = nullptr;
    condmgr::SetCreatorPriorityFn setPriority = nullptr;
    condmgr::RemoveConduitByCreatorIDFn remove = nullptr;
    condmgr::GetConduitCountFn count = nullptr;
    condmgr::GetCreatorIDByIndexFn creatorByIndex = nullptr;
    condmgr::GetCreatorNameFn getName = nullptr;
    condmgr::GetCreatorPriorityFn getPriority = nullptr;
};

template <class Fn> bool Find(HMODULE module, const char* name, Fn& fn) {
    fn = win::ProcAddress<Fn>(module, name);
    return fn != nullptr;
}

bool FindCalls(HMODULE module, Calls& calls) {
    return Find(module, condmgr::kInstallCreator, calls.install) &&
           Find(module, condmgr::kSetCreatorName, calls.setName) &&
           Find(module, condmgr::kSetCreatorPriority, calls.setPriority) &&
           Find(module, condmgr::kRemoveConduitByCreatorID, calls.remove) &&
           Find(module, condmgr::kGetConduitCount, calls.count) &&
           Find(module, condmgr::kGetCreatorIDByIndex, calls.creatorByIndex) &&
           Find(module, condmgr::kGetCreatorName, calls.getName) &&
           Find(module, condmgr::kGetCreatorPriority, calls.getPriority);
}

int Report(const char* call, int result) {
    std::printf("%s %d\n", call, result);
    return result == 0 ? 0 : 1;
}

int List(const Calls& calls) {
    int count = calls.count();
    if (count < 0) {
        return Report("count", count);
    }
    for (int i = 0; i < count; ++i) {
        char creator[5] = {};
        char name[MAX_PATH] = {};
        int size = sizeof(name);
        DWORD priority = 0;
        if (calls.creatorByIndex(i, creator) != 0 || calls.getName(creator, name, &size) != 0 ||
            calls.getPriority(creator, &priority) != 0) {
            return Report("list", -1);
        }
        std::printf("%s %lu %s\n", creator, priority, name);
    }
    return 0;
}

int Run(const Calls& calls, const std::string& command, int argc, char** argv) {
    if (command == "list" && argc == 0) {
        return List(calls);
    }
    if (command == "register" && argc == 3) {
        int result = calls.install(argv[0], 0);
        if (result != 0) {
            return Report("install", result);
        }
        return Report("name", calls.setName(argv[0], argv[1])) |
               Report("priority", calls.setPriority(argv[0], std::strtoul(argv[2], nullptr, 10)));
    }
    if (command == "install" && argc == 2) {
        return Report("install", calls.install(argv[0], std::atoi(argv[1])));
    }
    if (command == "name" && argc == 2) {
        return Report("name", calls.setName(argv[0], argv[1]));
    }
    if (command == "priority" && argc == 2) {
        return Report("priority", calls.setPriority(argv[0], std::strtoul(argv[1], nullptr, 10)));
    }
    if (command == "remove" && argc == 1) {
        return Report("remove", calls.remove(argv[0]));
    }
    std::fprintf(stderr, "condmgr_tool: unknown command or wrong arguments\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: condmgr_tool DLL COMMAND [ARGUMENTS]\n");
        return 2;
    }
    win::Module library(LoadLibraryA(argv[1]));
    Calls calls;
    if (!library || !FindCalls(library.get(), calls)) {
        std::fprintf(stderr, "condmgr_tool: cannot load the calls of %s\n", argv[1]);
        return 2;
    }
    return Run(calls, argv[2], argc - 3, argv + 3);
}
