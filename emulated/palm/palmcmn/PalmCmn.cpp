// Our language loader: loads a conduit's resource library from the conduit's own folder, as Palm's
// does, and counts loads and frees for the tests.
#define PALMCMN_BUILD
#define KESTRIN_EMU_BUILD
#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/PalmCmn.h"

#include <string>

namespace {
int loads = 0;
int frees = 0;
HINSTANCE lastFreed = nullptr;

std::string FolderOf(HINSTANCE module) {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}
} // namespace

// When no language library is found, the owner itself holds the resources.
extern "C" HINSTANCE __cdecl PalmLoadLanguage(const char* fileName, HINSTANCE owner, DWORD* reserved) {
    ++loads;
    if (reserved != nullptr) {
        *reserved = 0;
    }
    if (fileName == nullptr) {
        return owner;
    }
    HINSTANCE language =
        LoadLibraryExA((FolderOf(owner) + fileName).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return language != nullptr ? language : owner;
}

extern "C" void __cdecl PalmFreeLanguage(HINSTANCE language, HINSTANCE owner) {
    ++frees;
    lastFreed = language;
    if (language != nullptr && language != owner) {
        FreeLibrary(language);
    }
}

extern "C" EMU_API int __cdecl EmuLanguageLoadCount() {
    return loads;
}
extern "C" EMU_API int __cdecl EmuLanguageFreeCount() {
    return frees;
}
extern "C" EMU_API HINSTANCE __cdecl EmuLastFreedLanguage() {
    return lastFreed;
}
