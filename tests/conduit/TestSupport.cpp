#include "tests/conduit/TestSupport.h"

#include "settings/Settings.h"
#include "win/Handles.h"

#include <doctest/doctest.h>

namespace testing {

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

void DeleteSettings() {
    RegDeleteKeyA(HKEY_CURRENT_USER, settings::kKeyPath);
}

template <class Fn> void Bind(HMODULE module, const char* name, Fn& function) {
    function = win::ProcAddress<Fn>(module, name);
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

long __cdecl IgnoreProgress(char*) {
    return 0;
}

} // namespace testing
