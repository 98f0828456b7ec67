#include "tests/conduit/TestSupport.h"

#include "settings/Settings.h"

#include <doctest/doctest.h>

namespace testing {

ScratchFolder::ScratchFolder(const char* name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "kestrin-" + name;
    RemoveTree(path_);
    REQUIRE(CreateDirectoryA(path_.c_str(), nullptr));
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    win::FindHandle find(FindFirstFileA((path + "\\*").c_str(), &entry));
    if (find) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            std::string child = path + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find.get(), &entry));
    }
    find.reset();
    RemoveDirectoryA(path.c_str());
}

void WriteDefaultSettings(const std::string& sendFolder, const std::string& receiveFolder) {
    DeleteSettings();
    win::RegKey key = settings::CreateKey(HKEY_CURRENT_USER, settings::kKeyPath);
    REQUIRE(key);
    if (!sendFolder.empty()) {
        settings::WriteString(key.get(), settings::kFolderForSFiles, sendFolder);
    }
    if (!receiveFolder.empty()) {
        settings::WriteString(key.get(), settings::kFolderForRFiles, receiveFolder);
    }
    settings::WriteDword(key.get(), settings::kFromPalmToPC, settings::kDefaultOverwritePolicy);
    settings::WriteDword(key.get(), settings::kFromPCToPalm, settings::kDefaultOverwritePolicy);
    settings::WriteDword(key.get(), settings::kArchiver, settings::kDefaultArchiver);
}

void DeleteSettings() { RegDeleteKeyA(HKEY_CURRENT_USER, settings::kKeyPath); }

template <class Fn>
void Bind(HMODULE module, const char* name, Fn& function) {
    function = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    const bool found = function != nullptr;
    REQUIRE_MESSAGE(found, name);
}

ConduitDll::ConduitDll() : module(LoadLibraryA("KestrinConduit.dll")) {
    REQUIRE(module);
    Bind(module.get(), "GetConduitName", getConduitName);
    Bind(module.get(), "GetConduitVersion", getConduitVersion);
    Bind(module.get(), "GetConduitInfo", getConduitInfo);
    Bind(module.get(), "ConfigureConduit", configureConduit);
    Bind(module.get(), "CfgConduit", cfgConduit);
    Bind(module.get(), "OpenConduit", openConduit);
}

long __cdecl IgnoreProgress(char*) { return 0; }

} // namespace testing
