// A stand-in for Palm's Conduit Manager, for Setup's tests. Every call is appended to "calls.log"
// beside the library; CmInstallCreator answers the number in "install-result.txt" beside it (0 when
// that file is missing). Built twice: once without CmSetCreatorPriority.
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

} // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        self = module;
    }
    return TRUE;
}

extern "C" __declspec(dllexport) int WINAPI CmInstallCreator(const char* creator, int type) {
    Log(std::string("CmInstallCreator ") + creator + " " + std::to_string(type));
    int result = 0;
    std::ifstream(Beside("install-result.txt")) >> result;
    return result;
}

extern "C" __declspec(dllexport) int WINAPI CmSetCreatorName(const char* creator, const char* name) {
    Log(std::string("CmSetCreatorName ") + creator + " " + name);
    return 0;
}

#ifndef FAKE_CONDMGR_WITHOUT_PRIORITY
extern "C" __declspec(dllexport) int WINAPI CmSetCreatorPriority(const char* creator, DWORD priority) {
    Log(std::string("CmSetCreatorPriority ") + creator + " " + std::to_string(priority));
    return 0;
}
#endif

extern "C" __declspec(dllexport) int WINAPI CmRemoveConduitByCreatorID(const char* creator) {
    Log(std::string("CmRemoveConduitByCreatorID ") + creator);
    return 0;
}
