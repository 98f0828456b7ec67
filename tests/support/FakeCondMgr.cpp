// A stand-in for Palm's Conduit Manager, for the tests of Setup and UnInstall. Every call is appended
// to "calls.log" beside the library, one a line ("CmSetCreatorPriority vqKT 2"); CmInstallCreator
// answers the number in "install-result.txt" beside it and CmRemoveConduitByCreatorID the one in
// "remove-result.txt" (0 when the file is missing). Built again without CmSetCreatorPriority or
// without CmRemoveConduitByCreatorID, for a library that lacks the call.
#include "interfaces/palm/CondMgr.h"

#include <fstream>
#include <string>

namespace {

HMODULE self = nullptr;

std::string Beside(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(self, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\') + 1) + name;
}

void Log(const std::string& call) {
    std::ofstream(Beside("calls.log"), std::ios::app | std::ios::binary) << call << "\n";
}

std::string Text(const char* text) {
    return text != nullptr ? text : "(null)";
}

[[maybe_unused]] int ConfiguredResult(const char* file) {
    int result = 0;
    std::ifstream(Beside(file)) >> result;
    return result;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        self = module;
    }
    return TRUE;
}

extern "C" __declspec(dllexport) int WINAPI CmInstallCreator(const char* creator, int type) {
    Log("CmInstallCreator " + Text(creator) + " " + std::to_string(type));
    return ConfiguredResult("install-result.txt");
}

extern "C" __declspec(dllexport) int WINAPI CmSetCreatorName(const char* creator, const char* name) {
    Log("CmSetCreatorName " + Text(creator) + " " + Text(name));
    return 0;
}

#ifndef FAKE_CONDMGR_WITHOUT_PRIORITY
extern "C" __declspec(dllexport) int WINAPI CmSetCreatorPriority(const char* creator, DWORD priority) {
    Log("CmSetCreatorPriority " + Text(creator) + " " + std::to_string(priority));
    return 0;
}
#endif

#ifndef FAKE_CONDMGR_WITHOUT_REMOVE
extern "C" __declspec(dllexport) int WINAPI CmRemoveConduitByCreatorID(const char* creator) {
    Log("CmRemoveConduitByCreatorID " + Text(creator));
    return ConfiguredResult("remove-result.txt");
}
#endif

extern "C" __declspec(dllexport) int WINAPI CmGetConduitCount() {
    return 0;
}
