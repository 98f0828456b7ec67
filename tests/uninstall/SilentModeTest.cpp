// The removal without a window (/S), in this process and as the real UnInstall.exe, and the real
// program driven through its windows from another process.
#include "UnInstallTestSupport.h"

#include "settings/InstalledLayout.h"
#include "settings/Settings.h"
#include "tests/support/Processes.h"
#include "uninstall/Removal.h"

#include <doctest/doctest.h>

namespace {

using Finished = testsupport::ProgramRun;

// Runs a program of the test's folder with its output in a file, waiting at most a minute.
Finished RunProgram(const std::string& commandLine, const testsupport::ScratchFolder& scratch) {
    return testsupport::RunProgram(commandLine, scratch / "output.txt", 60000,
                                   testsupport::ProgramFolder().c_str());
}

std::string InProgramFolder(const char* name) {
    return "\"" + testsupport::Join(testsupport::ProgramFolder(), name) + "\"";
}

} // namespace

TEST_SUITE("silent mode") {

    TEST_CASE("/S is found among the arguments, never in the program's own name") {
        CHECK(IsSilentCommandLine("UnInstall.exe /S"));
        CHECK(IsSilentCommandLine("\"C:\\Program Files\\Orvelle\\Kestrin Manager\\UnInstall.exe\" /S"));
        CHECK(IsSilentCommandLine("UnInstall.exe   /s"));
        CHECK(IsSilentCommandLine("UnInstall.exe /other /S"));
        CHECK_FALSE(IsSilentCommandLine("UnInstall.exe"));
        CHECK_FALSE(IsSilentCommandLine("\"C:\\odd /S folder\\UnInstall.exe\""));
        CHECK_FALSE(IsSilentCommandLine("C:\\Kestrin\\UnInstall.exe /Silent"));
        CHECK_FALSE(IsSilentCommandLine("UnInstall.exe S"));
        CHECK_FALSE(IsSilentCommandLine(""));
        CHECK_FALSE(IsSilentCommandLine(nullptr));
    }

    TEST_CASE("the silent removal asks nothing, shows nothing, and its exit code names the failed steps") {
        SUBCASE("complete") {
            FakeInstallation installation;
            ScriptedUi ui;
            CHECK(RunSilentRemoval(ui) == 0);
            CHECK(ui.messages.empty());
            CHECK(ui.restartRequests == 0);
            CHECK(ui.scheduled.size() == 1);
            CHECK(installation.EverythingRemoved());
            CHECK(installation.CondMgrCalls() == std::vector<std::string>{"vqKT"});
        }
        SUBCASE("condmgr.dll missing: no message, step 2's bit") {
            FakeInstallation installation(CondMgr::Missing);
            ScriptedUi ui;
            CHECK(RunSilentRemoval(ui) == 0x02);
            CHECK(ui.messages.empty());
            CHECK_FALSE(FileExists(installation.InInstall(layout::kManagerFileName)));
        }
        SUBCASE("a file in Inbox and a shortcut gone: steps 4 and 6") {
            FakeInstallation installation;
            testsupport::WriteBytes(installation.installFolder + settings::kInboxFolderName + "\\kept.txt",
                                    "kept");
            DeleteFileA(installation.InGroup(layout::kManagerShortcutName).c_str());
            ScriptedUi ui;
            CHECK(RunSilentRemoval(ui) == (0x08 | 0x20));
        }
        SUBCASE("nothing installed: every step failed") {
            FakeInstallation installation;
            ScriptedUi first;
            REQUIRE(RunSilentRemoval(first) == 0);
            ScriptedUi ui;
            CHECK(RunSilentRemoval(ui) == 0x3F);
            CHECK(ui.scheduled.empty());
        }
    }

    TEST_CASE("UnInstall.exe /S removes an installation and exits 0, then non-zero when nothing is left") {
        FakeInstallation installation;
        // Without its own file in the install folder the program schedules no deletion in this prefix.
        DeleteFileA(installation.InInstall(layout::kUnInstallFileName).c_str());
        testsupport::ScratchFolder scratch("uninstall-run");

        Finished first = RunProgram(InProgramFolder("UnInstall.exe") + " /S", scratch);
        CHECK(first.exitCode == 0);
        CHECK(installation.EverythingRemoved());
        CHECK(installation.CondMgrCalls() == std::vector<std::string>{"vqKT"});

        Finished second = RunProgram(InProgramFolder("UnInstall.exe") + " /S", scratch);
        CHECK(second.exitCode == 0x3F);
    }

    TEST_CASE("UnInstall.exe driven through its windows from another process") {
        FakeInstallation installation;
        DeleteFileA(installation.InInstall(layout::kUnInstallFileName).c_str());
        testsupport::ScratchFolder scratch("uninstall-driver");
        const std::string command =
            InProgramFolder("UnInstallDriver.exe") + " run " + InProgramFolder("UnInstall.exe");

        SUBCASE("No at the confirmation") {
            Finished run = RunProgram(command + " no", scratch);
            CHECK(run.exitCode == 0);
            CHECK(run.output ==
                  "message Are you sure do you want to completely remove \"Kestrin v2.1\"\\nand all of "
                  "its components from your computer?\nexit 0\n");
            CHECK(FileExists(installation.InInstall(layout::kManagerFileName)));
            CHECK(KeyExists(HKEY_CURRENT_USER, settings::kKeyPath));
        }
        SUBCASE("Yes, with condmgr.dll missing") {
            DeleteFileA(installation.InHotSync(layout::kCondMgrFileName).c_str());
            Finished run = RunProgram(command, scratch);
            CHECK(run.exitCode == 0);
            CHECK(run.output ==
                  "message Are you sure do you want to completely remove \"Kestrin "
                  "v2.1\"\\nand all of its components "
                  "from your computer?\n"
                  "message Error loading DLL\n"
                  "marks 1 3 4 5 6\n"
                  "warning shown\n"
                  "message UnInstallation incomplete! Some items could not be removed: the "
                  "steps\\nwithout \"Ok!\" show which. You need to restart Windows before\\nthe "
                  "new setting will take effect. Restart Windows now?\n"
                  "exit 0\n");
        }
        SUBCASE("Yes: a complete removal") {
            Finished run = RunProgram(command, scratch);
            CHECK(run.exitCode == 0);
            CHECK(run.output.find("marks 1 2 3 4 5 6\nwarning hidden\n") != std::string::npos);
            CHECK(installation.EverythingRemoved());
        }
    }

} // TEST_SUITE
