// The entry that deletes the uninstaller at the next start of Windows: the "Wininit.ini" line and the
// platform's delete-at-restart registration, each written to a place of the test's own.
#include "UnInstallTestSupport.h"

#include "install/RestartDeletion.h"
#include "settings/InstalledLayout.h"
#include "settings/Settings.h"
#include "uninstall/Removal.h"

#include <doctest/doctest.h>

namespace {

constexpr const char* kSessionManagerKey = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingValue = "PendingFileRenameOperations";

std::optional<std::string> PendingOperations() {
    win::RegKey key = settings::OpenKey(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_READ);
    DWORD type = 0;
    DWORD size = 0;
    if (!key || RegQueryValueExA(key.get(), kPendingValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string bytes(size, '\0');
    RegQueryValueExA(key.get(), kPendingValue, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
    bytes.resize(size);
    return bytes;
}

void RestorePendingOperations(const std::optional<std::string>& bytes) {
    win::RegKey key = settings::OpenKey(HKEY_LOCAL_MACHINE, kSessionManagerKey);
    if (bytes) {
        RegSetValueExA(key.get(), kPendingValue, 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE*>(bytes->data()), static_cast<DWORD>(bytes->size()));
    } else {
        RegDeleteValueA(key.get(), kPendingValue);
    }
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

} // namespace

TEST_SUITE("self-deletion") {

    TEST_CASE("the line nul= and the short path joins the [rename] section beside other programs' lines") {
        const std::string ours = "nul=C:\\PROGRA~1\\Orvelle\\KESTRI~1\\UNINST~1.EXE";
        struct Case {
            const char* name;
            std::string before;
            std::string after;
        };
        const Case cases[] = {
            {"no profile file", "", "[rename]\r\n" + ours + "\r\n"},
            {"other programs' deletions and renames stay, in their order",
             "[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\OTHER\\A.EXE\r\nNUL=C:\\OTHER\\B.DLL\r\n"
             "C:\\NEW.SYS=C:\\OLD.SYS\r\n",
             "[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\OTHER\\A.EXE\r\nNUL=C:\\OTHER\\B.DLL\r\n"
             "C:\\NEW.SYS=C:\\OLD.SYS\r\n" +
                 ours + "\r\n"},
            {"a second removal does not repeat its line",
             "[rename]\r\nNUL=C:\\OTHER\\A.EXE\r\nNUL" + ours.substr(3) + "\r\n",
             "[rename]\r\nNUL=C:\\OTHER\\A.EXE\r\nNUL" + ours.substr(3) + "\r\n"},
        };
        for (const Case& c : cases) {
            CAPTURE(c.name);
            testsupport::ScratchFolder scratch("uninstall-wininit");
            std::string profile = scratch / "Wininit.ini";
            if (!c.before.empty()) {
                testsupport::WriteBytes(profile, c.before);
            }
            install::WriteWininitDeletion(profile.c_str(), ours.substr(4));
            CHECK(testsupport::ReadBytes(profile) == std::optional<std::string>(c.after));
        }
    }

    TEST_CASE("the delete-at-restart registration names the file") {
        testsupport::ScratchFolder scratch("uninstall-pending");
        std::string file = scratch / "UnInstall.exe";
        testsupport::WriteBytes(file, "uninstaller");
        std::optional<std::string> before = PendingOperations();
        install::RegisterDeletionAtRestart(file);
        std::optional<std::string> after = PendingOperations();
        RestorePendingOperations(before);
        REQUIRE(after.has_value());
        CHECK(Lower(*after).find(Lower(file) + std::string(1, '\0')) != std::string::npos);
        CHECK(FileExists(file));
    }

    TEST_CASE("a reinstallation takes back the deletions of its uninstaller, and only those") {
        testsupport::ScratchFolder scratch("uninstall-cancel");
        std::string ours = scratch / "Kestrin Manager";
        REQUIRE(CreateDirectoryA(ours.c_str(), nullptr));
        ours += "\\UnInstall.exe";
        const std::string other = scratch / "other.exe";
        const std::string renamed = scratch / "renamed.dll";
        for (const std::string& file : {ours, other, renamed}) {
            REQUIRE(testsupport::WriteBytes(file, "program"));
        }
        char shortOurs[MAX_PATH] = {};
        REQUIRE(GetShortPathNameA(ours.c_str(), shortOurs, MAX_PATH) > 0);
        std::string profile = scratch / "Wininit.ini";
        const std::string kept = "NUL=" + other + "\r\n" + renamed + "=" + other + "\r\n";
        testsupport::WriteBytes(profile, "[rename]\r\nNUL=" + std::string(shortOurs) + "\r\n" + kept +
                                             "nul=" + Lower(ours) + "\r\n");
        std::optional<std::string> before = PendingOperations();
        install::RegisterDeletionAtRestart(shortOurs);
        install::RegisterDeletionAtRestart(other);
        MoveFileExA(renamed.c_str(), (renamed + ".new").c_str(), MOVEFILE_DELAY_UNTIL_REBOOT);

        install::CancelDeletionsAtRestart(profile.c_str(), ours);
        std::optional<std::string> after = PendingOperations();
        RestorePendingOperations(before);
        CHECK(testsupport::ReadBytes(profile) == std::optional<std::string>("[rename]\r\n" + kept));
        REQUIRE(after.has_value());
        CHECK(Lower(*after).find(Lower(shortOurs)) == std::string::npos);
        CHECK(Lower(*after).find(Lower(ours)) == std::string::npos);
        CHECK(Lower(*after).find(Lower(other) + std::string(2, '\0')) != std::string::npos);
        CHECK(Lower(*after).find(Lower(renamed) + std::string(1, '\0')) != std::string::npos);
    }

    TEST_CASE("nothing is scheduled when the uninstaller's short path cannot be obtained") {
        FakeInstallation installation;
        DeleteFileA(installation.InInstall(layout::kUnInstallFileName).c_str());
        ScriptedUi ui;
        OpenUnInstall open(ui);
        CHECK(open.Marks() == kAllSteps);
        CHECK(ui.scheduled.empty());
    }

    TEST_CASE("the short path scheduled names the uninstaller even in a folder with long names") {
        FakeInstallation installation;
        ScriptedUi ui;
        OpenUnInstall open(ui);
        REQUIRE(ui.scheduled.size() == 1);
        char longPath[MAX_PATH] = {};
        REQUIRE(GetLongPathNameA(ui.scheduled[0].c_str(), longPath, MAX_PATH) > 0);
        CHECK(Lower(longPath) == Lower(installation.InInstall(layout::kUnInstallFileName)));
        CHECK(ui.scheduled[0].find(' ') == std::string::npos);
    }

    TEST_CASE("a short path that leads to another file is never scheduled") {
        // Wine's short names are hashes: it gives both folders the one short name, which leads to
        // whichever of them the file system lists first.
        const char* const folders[] = {"kestrin-uninstall-116-1", "kestrin-uninstall-1536-14"};
        FakeInstallation installation;
        testsupport::ScratchFolder scratch("uninstall-alias");
        for (const char* folder : folders) {
            std::string manager = scratch / folder + "\\Kestrin Manager";
            REQUIRE(CreateDirectoryA((scratch / folder).c_str(), nullptr));
            REQUIRE(CreateDirectoryA(manager.c_str(), nullptr));
            REQUIRE(testsupport::WriteBytes(manager + "\\UnInstall.exe", folder));
        }
        char first[MAX_PATH] = {};
        char second[MAX_PATH] = {};
        REQUIRE(GetShortPathNameA((scratch / folders[0]).c_str(), first, MAX_PATH) > 0);
        REQUIRE(GetShortPathNameA((scratch / folders[1]).c_str(), second, MAX_PATH) > 0);
        CHECK(std::string(first) == second);
        // One of the two runs meets the short name that leads to the other folder.
        for (const std::string folder : folders) {
            CAPTURE(folder);
            installation.StoreString(settings::kPathToManager, scratch / folder + "\\Kestrin Manager");
            ScriptedUi ui;
            RunSilentRemoval(ui);
            for (const std::string& scheduled : ui.scheduled) {
                CHECK(testsupport::ReadBytes(scheduled) == std::optional<std::string>(folder));
            }
        }
    }

} // TEST_SUITE
