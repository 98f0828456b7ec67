// A stand-in for Palm's Conduit Manager library, copied into a test's HotSync folder as condmgr.dll.
// It appends each creator it is asked to remove to "condmgr-calls.txt" beside itself and answers
// with the number in "condmgr-result.txt" there (0 when that file is missing). Built a second time
// without CmRemoveConduitByCreatorID, for a library that lacks the call.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HMODULE thisModule = nullptr;

std::string BesideThisLibrary(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(thisModule, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\') + 1) + name;
}

[[maybe_unused]] int ConfiguredResult() {
    FILE* file = std::fopen(BesideThisLibrary("condmgr-result.txt").c_str(), "r");
    if (file == nullptr) {
        return 0;
    }
    int result = 0;
    if (std::fscanf(file, "%d", &result) != 1) {
        result = 0;
    }
    std::fclose(file);
    return result;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        thisModule = module;
    }
    return TRUE;
}

#ifndef WITHOUT_REMOVE_CALL
extern "C" __declspec(dllexport) int WINAPI CmRemoveConduitByCreatorID(const char* creator) {
    FILE* file = std::fopen(BesideThisLibrary("condmgr-calls.txt").c_str(), "ab");
    if (file != nullptr) {
        std::fprintf(file, "%s\n", creator != nullptr ? creator : "(null)");
        std::fclose(file);
    }
    return ConfiguredResult();
}
#endif

extern "C" __declspec(dllexport) int WINAPI CmGetConduitCount() {
    return 0;
}
