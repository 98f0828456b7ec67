#include "install/FolderRights.h"
#include "tests/support/Files.h"

#include <doctest/doctest.h>
#include <sddl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Entry {
    const char* sid;
    DWORD mask;
    BYTE flags;
};

std::string Describe(const std::string& sid, DWORD mask, BYTE flags) {
    char numbers[32];
    std::snprintf(numbers, sizeof(numbers), " %lx %x; ", mask, flags);
    return sid + numbers;
}

// "sid mask flags; " for each allowing entry of the list, in its order.
std::string Describe(const ACL* list) {
    std::string text;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* ace = nullptr;
        REQUIRE(GetAce(const_cast<ACL*>(list), i, &ace));
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        char* sid = nullptr;
        REQUIRE(ConvertSidToStringSidA(&allowed->SidStart, &sid));
        text += Describe(sid, allowed->Mask, allowed->Header.AceFlags);
        LocalFree(sid);
    }
    return text;
}

std::vector<BYTE> ListOf(const std::vector<Entry>& entries) {
    std::vector<BYTE> list(1024);
    auto* acl = reinterpret_cast<ACL*>(list.data());
    REQUIRE(InitializeAcl(acl, static_cast<DWORD>(list.size()), ACL_REVISION));
    for (const Entry& entry : entries) {
        PSID sid = nullptr;
        REQUIRE(ConvertStringSidToSidA(entry.sid, &sid));
        REQUIRE(AddAccessAllowedAceEx(acl, ACL_REVISION, entry.flags, entry.mask, sid));
        LocalFree(sid);
    }
    return list;
}

} // namespace

TEST_CASE("the transfer folders' access list adds the Users group's modify rights and keeps every entry") {
    constexpr BYTE kInherited = INHERITED_ACE | OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    const std::string granted =
        Describe("S-1-5-32-545", 0x1301BF, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    // What a folder under "Program Files" inherits: all rights for the system and administrators,
    // read and run for users.
    const std::string inherited = "S-1-5-18 10000000 13; S-1-5-32-544 10000000 13; S-1-5-32-545 1200a9 13; ";
    const struct {
        std::vector<Entry> before;
        std::string after;
    } cases[] = {
        {{{"S-1-5-18", GENERIC_ALL, kInherited},
          {"S-1-5-32-544", GENERIC_ALL, kInherited},
          {"S-1-5-32-545", 0x1200A9, kInherited}},
         granted + inherited},
        {{{"S-1-5-32-544", GENERIC_ALL, 0}}, granted + "S-1-5-32-544 10000000 0; "},
    };
    for (const auto& test : cases) {
        std::vector<BYTE> before = ListOf(test.before);
        win::LocalMemory after =
            install::AccessListGrantingUsersModify(reinterpret_cast<ACL*>(before.data()));
        REQUIRE(after);
        CHECK(Describe(static_cast<ACL*>(after.get())) == test.after);
    }
}

TEST_CASE("granting the rights on a folder reports the platform's answer") {
    testsupport::ScratchFolder scratch("folder-rights");
    CHECK(install::GrantUsersModify(scratch.path()) == ERROR_SUCCESS);
    CHECK(install::GrantUsersModify(scratch / "missing") != ERROR_SUCCESS);
}
