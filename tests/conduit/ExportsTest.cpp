// What the conduit answers HotSync Manager, and its language library across loads and unloads.
#include "conduit/ConduitApp.h"
#include "emulated/palm/HandheldEmu.h"
#include "tests/conduit/TransferSupport.h"

#include <doctest/doctest.h>

#include <cstring>
#include <string>

using transfer_test::ConduitDll;

namespace {

std::string Bytes(const char* buffer, size_t size) {
    return std::string(buffer, size);
}

ConduitRequestInfo NameRequest() {
    return {kConduitRequestVersion, kConduitRequestSize, 0, 0};
}

} // namespace

TEST_CASE("GetConduitName and GetConduitVersion") {
    ConduitDll conduit;
    char name[20];

    std::memset(name, 'x', sizeof(name));
    CHECK(conduit.getConduitName(name, 18) == 0);
    CHECK(Bytes(name, 20) == std::string("KestrinConduit\0\0\0\0xx", 20));

    std::memset(name, 'x', sizeof(name));
    CHECK(conduit.getConduitName(name, 8) == 0);
    CHECK(Bytes(name, 10) == std::string("Kestrin\0xx", 10));

    std::memset(name, 'x', sizeof(name));
    CHECK(conduit.getConduitName(name, 0) == 0);
    CHECK(Bytes(name, 2) == "xx");

    CHECK(conduit.getConduitVersion() == 0x101);
}

TEST_CASE("GetConduitInfo checks its arguments in order") {
    ConduitDll conduit;
    ConduitRequestInfo request = NameRequest();
    char buffer[16];
    DWORD size = 4;

    SUBCASE("a null output buffer is reported before anything else is looked at") {
        CHECK(conduit.getConduitInfo(99, nullptr, nullptr, nullptr) == 0x1071);
    }
    SUBCASE("a null size pointer") {
        CHECK(conduit.getConduitInfo(99, nullptr, buffer, nullptr) == 0x1077);
    }
    SUBCASE("kind 0 needs a request of version 1 and size 80") {
        CHECK(conduit.getConduitInfo(0, nullptr, buffer, &size) == 0x1074);
        ConduitRequestInfo wrong = {1, 81, 0, 0};
        CHECK(conduit.getConduitInfo(0, &wrong, buffer, &size) == 0x1075);
        wrong = {2, 80, 0, 0};
        CHECK(conduit.getConduitInfo(0, &wrong, buffer, &size) == 0x1075);
    }
    SUBCASE("kind 0 gives as much of the name as fits with its zero") {
        std::memset(buffer, 'x', sizeof(buffer));
        size = 5;
        CHECK(conduit.getConduitInfo(0, &request, buffer, &size) == 0);
        CHECK(Bytes(buffer, 6) == std::string("Kest\0x", 6));
    }
    SUBCASE("kind 0 with a size of 0 writes nothing") {
        std::memset(buffer, 'x', sizeof(buffer));
        size = 0;
        CHECK(conduit.getConduitInfo(0, &request, buffer, &size) == 0);
        CHECK(buffer[0] == 'x');
    }
    SUBCASE("kinds 1 and 2 need a size of 4 and leave the buffer alone otherwise") {
        std::memset(buffer, 'x', sizeof(buffer));
        size = 2;
        CHECK(conduit.getConduitInfo(1, nullptr, buffer, &size) == 0x1073);
        CHECK(conduit.getConduitInfo(2, nullptr, buffer, &size) == 0x1073);
        CHECK(Bytes(buffer, 4) == "xxxx");
    }
    SUBCASE("kind 1 is the framework version, kind 2 the default action") {
        DWORD value = 7;
        CHECK(conduit.getConduitInfo(1, nullptr, &value, &size) == 0);
        CHECK(value == 0x500);
        CHECK(conduit.getConduitInfo(2, nullptr, &value, &size) == 0);
        CHECK(value == 0);
    }
    SUBCASE("any other kind, even with a size of 4") {
        CHECK(conduit.getConduitInfo(3, nullptr, buffer, &size) == 0x1070);
        CHECK(conduit.getConduitInfo(-1, &request, buffer, &size) == 0x1070);
    }
}

TEST_CASE("ConfigureConduit and CfgConduit do nothing") {
    ConduitDll conduit;
    CHECK(conduit.configureConduit(nullptr) == -1);

    BYTE block[352] = {};
    block[0] = 1;
    DWORD size = sizeof(block);
    CHECK(conduit.cfgConduit(0, nullptr, nullptr) == 0x1074);
    CHECK(conduit.cfgConduit(0, block, nullptr) == 0x1078);
    DWORD wrongSize = 351;
    CHECK(conduit.cfgConduit(0, block, &wrongSize) == 0x107A);
    CHECK(conduit.cfgConduit(1, block, &size) == 0x1079);
    block[0] = 2;
    CHECK(conduit.cfgConduit(0, block, &size) == 0x107B);
    block[0] = 1;
    CHECK(conduit.cfgConduit(0, block, &size) == -1);
}

TEST_CASE("loading the conduit loads its language library once, unloading frees it") {
    int loads = EmuLanguageLoadCount();
    int frees = EmuLanguageFreeCount();
    {
        ConduitDll conduit;
        CHECK(EmuLanguageLoadCount() == loads + 1);
        CHECK(EmuLanguageFreeCount() == frees);
    }
    CHECK(EmuLanguageLoadCount() == loads + 1);
    CHECK(EmuLanguageFreeCount() == frees + 1);
}

TEST_CASE("module starts are counted: only the stop that brings the count to 0 frees") {
    ConduitApp app;
    HINSTANCE self = GetModuleHandleA(nullptr);
    int loads = EmuLanguageLoadCount();
    int frees = EmuLanguageFreeCount();

    app.Start(self);
    app.Start(self);
    CHECK(app.languageReferenceCount() == 2);
    CHECK(EmuLanguageLoadCount() == loads + 1);
    CHECK(app.ownInstance() == self);
    HINSTANCE language = app.languageLibrary();

    app.Stop();
    CHECK(EmuLanguageFreeCount() == frees);
    app.Stop();
    CHECK(EmuLanguageFreeCount() == frees + 1);
    CHECK(EmuLastFreedLanguage() == language);
    CHECK(app.languageLibrary() == self);

    app.Start(self);
    CHECK(EmuLanguageLoadCount() == loads + 2);
    app.Stop();
}
