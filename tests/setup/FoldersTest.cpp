#include "SetupTestSupport.h"

#include "install/CommandLine.h"
#include "setup/Folders.h"
#include "setup/SetupApp.h"
#include "win/Paths.h"

#include <doctest/doctest.h>

TEST_CASE("the parent of a path is cut at its last backslash or colon, whichever lies further right") {
    CHECK(win::ParentFolder("C:\\Program Files") == "C:");
    CHECK(win::ParentFolder("D:\\a\\b") == "D:\\a");
    CHECK(win::ParentFolder("C:") == "C");
    CHECK(win::ParentFolder("Kestrin") == "Kestrin");
    CHECK(win::ParentFolder("C:name") == "C");
    CHECK(win::ParentFolder("\\\\server\\share") == "\\\\server");
    CHECK(win::ParentFolder("") == "");
}

TEST_CASE("a folder tree is created level by level from the top, and never from a bare name") {
    testsupport::ScratchFolder scratch("setup-folders");
    const std::string deep = scratch / "one\\two\\three";

    win::CreateFolderTree(deep + "\\");
    CHECK(FolderExists(scratch / "one"));
    CHECK(FolderExists(scratch / "one\\two"));
    CHECK(FolderExists(deep));

    // An existing file in the way: nothing below it, and no report.
    testsupport::WriteBytes(scratch / "file", "x");
    win::CreateFolderTree(scratch / "file\\below");
    CHECK_FALSE(FolderExists(scratch / "file\\below"));

    CurrentDirectoryScope inScratch(scratch.path());
    win::CreateFolderTree("Kestrin");
    CHECK_FALSE(FolderExists(scratch / "Kestrin"));
    win::CreateFolderTree("");
    win::CreateFolderTree("C:");
    win::CreateFolderTree("C:\\");
    CHECK(testsupport::Entries(scratch.path()) == std::set<std::string>{"file", "one"});
}

TEST_CASE("an install folder is made full, keeps a drive root as its letter and fits the path limit") {
    testsupport::ScratchFolder scratch("setup-folders");
    CurrentDirectoryScope inScratch(scratch.path());

    CHECK(win::WithoutTrailingBackslashes("D:\\Tools\\Kestrin\\\\") == "D:\\Tools\\Kestrin");
    CHECK(win::WithoutTrailingBackslashes("D:\\") == "D:");
    CHECK(win::WithoutTrailingBackslashes("\\\\\\") == "");

    CHECK(folders::AbsoluteFolder("D:") == "D:");
    CHECK(folders::AbsoluteFolder("C:\\Already\\Full") == "C:\\Already\\Full");
    CHECK(folders::AbsoluteFolder("\\\\server\\share\\Kestrin") == "\\\\server\\share\\Kestrin");
    CHECK(folders::AbsoluteFolder("Kestrin") == scratch / "Kestrin");
    CHECK(folders::AbsoluteFolder("a\\..\\b") == scratch / "b");
    CHECK(folders::AbsoluteFolder("\\Rooted").substr(1) == ":\\Rooted");

    CHECK(folders::FolderForUse("D:") == "D:\\");
    CHECK(folders::FolderForUse("D:\\Tools") == "D:\\Tools");

    // Below the folder, the conduit's deepest path: "\Outbox\~KestrinConduit9.tmp\work\" and a
    // handheld name of 31 characters.
    const std::string longest(MAX_PATH - 1 - (7 + 21 + 5 + 1 + 31), 'k');
    CHECK(folders::FitsInstallLayout("C:\\" + longest.substr(3)));
    CHECK_FALSE(folders::FitsInstallLayout("C:\\" + longest.substr(2)));
    // A relative name counts with the folder it stands for.
    CHECK_FALSE(folders::FitsInstallLayout(longest.substr(scratch.path().size())));
}

TEST_CASE("a folder name is exact only when the code page carries every character") {
    const struct {
        const wchar_t* typed;
        const char* text;
        bool exact;
    } cases[] = {
        {L"C:\\Kestrin", "C:\\Kestrin", true},
        {L"C:\\Caf\u00e9", "C:\\Caf\xe9", true},
        {L"C:\\\u0141\u00f3d\u017a",
         "C:\\L\xf3"
         "dz",
         false},
        {L"C:\\\u041a\u0435\u0441", nullptr, false},
    };
    for (const auto& c : cases) {
        folders::TypedFolder folder = folders::TypedFolder::FromWide(c.typed);
        CHECK(folder.exact == c.exact);
        if (c.text != nullptr) {
            CHECK(folder.text == c.text);
        }
    }
}

TEST_CASE("the command line: /S installs silently, /D= takes the rest of the line as the folder") {
    CHECK(install::ProgramArguments("\"C:\\My Setup\\Setup.exe\" /S") == " /S");
    CHECK(install::ProgramArguments("Setup.exe") == "");
    CHECK(install::ProgramArguments("Setup.exe   /s /D=x") == "   /s /D=x");

    SetupCommandLine none = ParseSetupArguments("");
    CHECK_FALSE(none.silent);
    CHECK(none.understood);
    CHECK_FALSE(none.folder.has_value());

    SetupCommandLine silent = ParseSetupArguments(" /s /D=C:\\Program Files\\Kestrin  ");
    CHECK(silent.silent);
    CHECK(silent.understood);
    CHECK(silent.folder == std::string("C:\\Program Files\\Kestrin"));

    CHECK(ParseSetupArguments("/D=").folder == std::string());
    // Windows quotes an argument with a space: the whole switch, or the folder alone.
    CHECK(ParseSetupArguments("/S \"/D=C:\\My Apps\\Kestrin\"").folder ==
          std::string("C:\\My Apps\\Kestrin"));
    CHECK(ParseSetupArguments("/S /D=\"C:\\My Apps\\Kestrin\"").folder ==
          std::string("C:\\My Apps\\Kestrin"));
    CHECK(ParseSetupArguments("/S \"/D=C:\\My Apps\\Kestrin\"").understood);
    CHECK_FALSE(ParseSetupArguments("/S /X").understood);
    CHECK_FALSE(ParseSetupArguments("/Silent").understood);
    CHECK_FALSE(ParseSetupArguments("/S /D").understood);
}
