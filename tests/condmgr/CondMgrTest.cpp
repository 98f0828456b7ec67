// condmgr.dll as Setup, UnInstall and the HotSync host use it: loaded from the test's folder, each
// call found by its undecorated name, registrations kept in the registry across processes.
#include "emulated/condmgr/Registrations.h"
#include "interfaces/palm/CondMgr.h"
#include "tests/support/Files.h"
#include "tests/support/Processes.h"
#include "win/Handles.h"

#include <doctest/doctest.h>

#include <string>
#include <vector>

using namespace condmgr;

namespace {

// Removes every registration, straight from the registry, so each case starts from none.
void ClearRegistrations() {
    HKEY root = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRegistrationsKeyPath, 0, KEY_READ | KEY_WRITE, &root) !=
        ERROR_SUCCESS) {
        return;
    }
    std::vector<std::string> names;
    char name[256];
    DWORD length = sizeof(name);
    for (DWORD i = 0;
         RegEnumKeyExA(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = sizeof(name)) {
        if (std::string(name).rfind(kRegistrationPrefix, 0) == 0) {
            names.push_back(name);
        }
    }
    for (const std::string& subkey : names) {
        RegDeleteKeyA(root, subkey.c_str());
    }
    RegCloseKey(root);
}

template <class Fn> Fn Call(HMODULE module, const char* name) {
    auto fn = win::ProcAddress<Fn>(module, name);
    REQUIRE_MESSAGE(static_cast<bool>(fn), name);
    return fn;
}

// The library loaded by its full path, as Setup loads it, with no registration in place.
struct CondMgr {
    win::Module module{LoadLibraryA(testsupport::Join(testsupport::ProgramFolder(), "condmgr.dll").c_str())};
    InstallCreatorFn install;
    SetCreatorNameFn setName;
    SetCreatorPriorityFn setPriority;
    RemoveConduitByCreatorIDFn remove;
    GetConduitCountFn count;
    GetCreatorIDByIndexFn creatorByIndex;
    GetCreatorNameFn getName;
    GetCreatorPriorityFn getPriority;

    CondMgr() {
        REQUIRE(module);
        install = Call<InstallCreatorFn>(module.get(), kInstallCreator);
        setName = Call<SetCreatorNameFn>(module.get(), kSetCreatorName);
        setPriority = Call<SetCreatorPriorityFn>(module.get(), kSetCreatorPriority);
        remove = Call<RemoveConduitByCreatorIDFn>(module.get(), kRemoveConduitByCreatorID);
        count = Call<GetConduitCountFn>(module.get(), kGetConduitCount);
        creatorByIndex = Call<GetCreatorIDByIndexFn>(module.get(), kGetCreatorIDByIndex);
        getName = Call<GetCreatorNameFn>(module.get(), kGetCreatorName);
        getPriority = Call<GetCreatorPriorityFn>(module.get(), kGetCreatorPriority);
        ClearRegistrations();
    }
    ~CondMgr() { ClearRegistrations(); }

    std::string Name(const char* creator) {
        char name[MAX_PATH] = {};
        int size = sizeof(name);
        int result = getName(creator, name, &size);
        return result == kOk ? name : "error " + std::to_string(result);
    }
    DWORD Priority(const char* creator) {
        DWORD priority = 0xFFFF;
        CHECK(getPriority(creator, &priority) == kOk);
        return priority;
    }
    std::vector<std::string> Creators() {
        std::vector<std::string> creators;
        int total = count();
        REQUIRE(total >= 0);
        for (int i = 0; i < total; ++i) {
            char creator[5] = {};
            REQUIRE(creatorByIndex(i, creator) == kOk);
            creators.push_back(creator);
        }
        return creators;
    }
};

using testsupport::ProgramRun;

// Runs condmgr_tool.exe, a process of its own, against the same condmgr.dll.
ProgramRun RunTool(const std::string& arguments) {
    testsupport::ScratchFolder scratch{"condmgr"};
    std::string folder = testsupport::ProgramFolder();
    std::string commandLine = "\"" + testsupport::Join(folder, "condmgr_tool.exe") + "\" \"" +
                              testsupport::Join(folder, "condmgr.dll") + "\" " + arguments;
    return testsupport::RunProgram(commandLine, scratch / "output.txt", 60000);
}

} // namespace

TEST_CASE("a creator is registered once, named, prioritised and removed") {
    CondMgr cm;
    REQUIRE(cm.install("vqKT", kTypeApplication) == kOk);
    CHECK(cm.Creators() == std::vector<std::string>{"vqKT"});
    CHECK(cm.Priority("vqKT") == kDefaultPriority);
    CHECK(cm.Name("vqKT").empty());

    CHECK(cm.setName("vqKT", "KestrinConduit.dll") == kOk);
    CHECK(cm.setPriority("vqKT", 3) == kOk);
    CHECK(cm.Name("vqKT") == "KestrinConduit.dll");
    CHECK(cm.Priority("vqKT") == 3);

    SUBCASE("a second install is refused and changes nothing") {
        CHECK(cm.install("vqKT", kTypeApplication) == kErrCreatorInUse);
        CHECK(cm.install("vqKT", 1) == kErrCreatorInUse);
        CHECK(cm.Creators() == std::vector<std::string>{"vqKT"});
        CHECK(cm.Name("vqKT") == "KestrinConduit.dll");
        CHECK(cm.Priority("vqKT") == 3);
    }
    SUBCASE("a removed creator is gone and can be installed afresh") {
        CHECK(cm.remove("vqKT") == kOk);
        CHECK(cm.count() == 0);
        CHECK(cm.remove("vqKT") == kErrNoConduit);
        CHECK(cm.setName("vqKT", "KestrinConduit.dll") == kErrNoConduit);
        CHECK(cm.setPriority("vqKT", 2) == kErrNoConduit);
        CHECK(cm.Name("vqKT") == "error " + std::to_string(kErrNoConduit));
        CHECK(cm.install("vqKT", kTypeApplication) == kOk);
        CHECK(cm.Name("vqKT").empty());
        CHECK(cm.Priority("vqKT") == kDefaultPriority);
    }
    SUBCASE("names and priorities out of range are refused") {
        CHECK(cm.setName("vqKT", nullptr) == kErrBadArgument);
        CHECK(cm.setName("vqKT", "") == kErrBadArgument);
        CHECK(cm.setName("vqKT", std::string(MAX_PATH, 'a').c_str()) == kErrBadArgument);
        CHECK(cm.setPriority("vqKT", 5) == kErrBadArgument);
        CHECK(cm.Name("vqKT") == "KestrinConduit.dll");
        CHECK(cm.Priority("vqKT") == 3);
        CHECK(cm.install("abcd", -1) == kErrBadArgument);
        CHECK(cm.count() == 1);
    }
}

TEST_CASE("a creator ID is exactly four characters, compared with case") {
    CondMgr cm;
    for (const char* bad : {"", "vqK", "vqKTx", "vqKT "}) {
        CAPTURE(bad);
        CHECK(cm.install(bad, kTypeApplication) == kErrBadCreator);
        CHECK(cm.setName(bad, "x.dll") == kErrBadCreator);
        CHECK(cm.setPriority(bad, 1) == kErrBadCreator);
        CHECK(cm.remove(bad) == kErrBadCreator);
        DWORD priority = 0;
        CHECK(cm.getPriority(bad, &priority) == kErrBadCreator);
    }
    CHECK(cm.install(nullptr, kTypeApplication) == kErrBadCreator);
    CHECK(cm.remove(nullptr) == kErrBadCreator);
    CHECK(cm.count() == 0);

    REQUIRE(cm.install("vqKT", kTypeApplication) == kOk);
    REQUIRE(cm.install("VQKT", kTypeApplication) == kOk);
    CHECK(cm.setName("VQKT", "Other.dll") == kOk);
    CHECK(cm.remove("vqkt") == kErrNoConduit);
    CHECK(cm.Name("vqKT").empty());
    CHECK(cm.Name("VQKT") == "Other.dll");
}

TEST_CASE("the listing calls walk every registration and report short buffers") {
    CondMgr cm;
    for (const char* creator : {"aaaa", "bbbb", "cccc"}) {
        REQUIRE(cm.install(creator, kTypeApplication) == kOk);
    }
    CHECK(cm.Creators() == std::vector<std::string>{"aaaa", "bbbb", "cccc"});
    char creator[5] = {};
    CHECK(cm.creatorByIndex(3, creator) == kErrNoConduit);
    CHECK(cm.creatorByIndex(-1, creator) == kErrNoConduit);
    CHECK(cm.creatorByIndex(0, nullptr) == kErrBadArgument);

    // A registration removed from the middle leaves the others listed, and its place is reused.
    REQUIRE(cm.remove("bbbb") == kOk);
    CHECK(cm.Creators() == std::vector<std::string>{"aaaa", "cccc"});
    REQUIRE(cm.install("dddd", kTypeApplication) == kOk);
    CHECK(cm.Creators().size() == 3);
    CHECK(cm.count() == 3);

    REQUIRE(cm.setName("aaaa", "Conduit.dll") == kOk);
    char name[12] = {};
    int size = 5;
    CHECK(cm.getName("aaaa", name, &size) == kErrBufferTooSmall);
    CHECK(size == 12);
    CHECK(name[0] == '\0');
    size = 0;
    CHECK(cm.getName("aaaa", nullptr, &size) == kErrBufferTooSmall);
    CHECK(size == 12);
    CHECK(cm.getName("aaaa", name, &size) == kOk);
    CHECK(std::string(name) == "Conduit.dll");
    CHECK(cm.getName("aaaa", name, nullptr) == kErrBadArgument);
    CHECK(cm.getPriority("aaaa", nullptr) == kErrBadArgument);
}

TEST_CASE("a registration made by one process is seen by the next") {
    CondMgr cm;
    ProgramRun registered = RunTool("register vqKT KestrinConduit.dll 2");
    CHECK(registered.exitCode == 0);
    CHECK(cm.Creators() == std::vector<std::string>{"vqKT"});
    CHECK(cm.Name("vqKT") == "KestrinConduit.dll");
    CHECK(cm.Priority("vqKT") == 2);

    // Installing again from another process is refused like Setup's second run.
    ProgramRun again = RunTool("register vqKT Other.dll 1");
    CHECK(again.exitCode == 1);
    CHECK(again.output.find("install " + std::to_string(kErrCreatorInUse)) != std::string::npos);
    CHECK(cm.Name("vqKT") == "KestrinConduit.dll");

    REQUIRE(cm.install("abcd", kTypeApplication) == kOk);
    REQUIRE(cm.setName("abcd", "Second.dll") == kOk);
    REQUIRE(cm.setPriority("abcd", 0) == kOk);
    ProgramRun listed = RunTool("list");
    CHECK(listed.exitCode == 0);
    CHECK(listed.output == "vqKT 2 KestrinConduit.dll\nabcd 0 Second.dll\n");

    CHECK(RunTool("remove vqKT").exitCode == 0);
    CHECK(cm.Creators() == std::vector<std::string>{"abcd"});
    CHECK(RunTool("remove vqKT").output == "remove " + std::to_string(kErrNoConduit) + "\n");
}
