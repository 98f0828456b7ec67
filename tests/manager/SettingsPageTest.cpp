#include "ManagerTestSupport.h"
#include "manager/resource.h"
#include "settings/Settings.h"

#include <doctest/doctest.h>

namespace {

const char* kOutgoingMessage =
    "Folder for files to be transferred is not found! Folder was selected by default.";
const char* kIncomingMessage =
    "Folder for files to be received is not found! Folder was selected by default.";

} // namespace

TEST_CASE_FIXTURE(ManagerFixture, "the compression box switches the archiver choices on and off") {
    StoreSettings(stored);
    OpenManager manager(ui);
    manager.SelectPage(1);
    REQUIRE_FALSE(manager.IsChecked(IDC_COMPRESS));
    CHECK_FALSE(manager.IsEnabled(IDC_WINZIP));
    CHECK_FALSE(manager.IsChecked(IDC_WINZIP));
    CHECK_FALSE(manager.IsChecked(IDC_WINRAR));

    manager.Click(IDC_COMPRESS);
    CHECK(manager.IsChecked(IDC_COMPRESS));
    CHECK(manager.IsEnabled(IDC_WINZIP));
    CHECK(manager.IsEnabled(IDC_WINRAR));
    CHECK(manager.IsChecked(IDC_WINZIP));

    SUBCASE("a choice made survives switching compression off and on") {
        manager.Click(IDC_WINRAR);
        manager.Click(IDC_COMPRESS);
        manager.Click(IDC_COMPRESS);
        CHECK(manager.IsChecked(IDC_WINRAR));
        CHECK_FALSE(manager.IsChecked(IDC_WINZIP));
        manager.PressDone();
        CHECK(StoredNumber(settings::kArchiver) == DWORD{settings::WinRar});
    }
    SUBCASE("cleared again, it stores no archiver although WinZip stays chosen") {
        manager.Click(IDC_COMPRESS);
        CHECK_FALSE(manager.IsEnabled(IDC_WINZIP));
        CHECK(manager.IsChecked(IDC_WINZIP));
        manager.PressDone();
        CHECK(StoredNumber(settings::kArchiver) == DWORD{settings::NoArchiver});
    }
}

TEST_CASE_FIXTURE(ManagerFixture, "Browse puts the chosen folder into its edit; cancelling keeps the text") {
    StoreSettings(stored);
    OpenManager manager(ui);
    manager.SelectPage(1);

    ui.folderToChoose = "D:\\Chosen";
    manager.Click(IDC_BROWSE_OUTGOING);
    CHECK(manager.Text(IDC_OUTGOING_FOLDER) == "D:\\Chosen");
    CHECK(manager.Text(IDC_INCOMING_FOLDER) == inbox);
    ui.folderToChoose = "E:\\Other";
    manager.Click(IDC_BROWSE_INCOMING);
    CHECK(manager.Text(IDC_INCOMING_FOLDER) == "E:\\Other");

    ui.folderToChoose.reset();
    manager.Click(IDC_BROWSE_OUTGOING);
    manager.Click(IDC_BROWSE_INCOMING);
    CHECK(manager.Text(IDC_OUTGOING_FOLDER) == "D:\\Chosen");
    CHECK(manager.Text(IDC_INCOMING_FOLDER) == "E:\\Other");
    CHECK(ui.folderTitles == std::vector<std::string>{"Select folder for files to be transferred",
                                                      "Select folder for files to be received",
                                                      "Select folder for files to be transferred",
                                                      "Select folder for files to be received"});
}

TEST_CASE_FIXTURE(ManagerFixture,
                  "folders that are not found fall back to the start folder's, with a message each") {
    ScratchFolder elsewhere;
    std::string startOutbox = elsewhere.MakeFolder("Outbox");
    root.WriteFile("Outbox\\queued.txt", "queued");
    std::string file = root.WriteFile("not-a-folder.txt", "x");
    StoreSettings(stored);
    CurrentDirectoryScope startedElsewhere(elsewhere.path());
    OpenManager manager(ui);
    manager.SelectPage(1);

    SUBCASE("both: the outgoing message comes first, and the listed files move to the default") {
        manager.Type(IDC_OUTGOING_FOLDER, "");
        manager.Type(IDC_INCOMING_FOLDER, file);
        manager.PressDone();
        REQUIRE(ui.messages.size() == 2);
        CHECK(ui.messages[0].text == kOutgoingMessage);
        CHECK(ui.messages[0].style == (MB_ICONEXCLAMATION | MB_OK));
        CHECK(ui.messages[1].text == kIncomingMessage);
        CHECK(StoredText(settings::kFolderForSFiles) == startOutbox);
        CHECK(StoredText(settings::kFolderForRFiles) == elsewhere / "Inbox");
        CHECK(ReadWholeFile(startOutbox + "\\queued.txt") == "queued");
        CHECK_FALSE(FileExists(outbox + "\\queued.txt"));
    }
    SUBCASE("a default folder that does not exist either keeps the files where they are") {
        testsupport::RemoveTree(startOutbox);
        manager.Type(IDC_OUTGOING_FOLDER, root / "Missing");
        manager.PressDone();
        REQUIRE(ui.messages.size() == 1);
        CHECK(ui.messages[0].text == kOutgoingMessage);
        CHECK(StoredText(settings::kFolderForSFiles) == elsewhere / "Outbox");
        CHECK(ReadWholeFile(outbox + "\\queued.txt") == "queued");
    }
    SUBCASE("stored folders that vanished are replaced even when the page was never opened") {
        manager.SelectPage(0);
        testsupport::RemoveTree(inbox);
        manager.PressDone();
        REQUIRE(ui.messages.size() == 1);
        CHECK(ui.messages[0].text == kIncomingMessage);
        CHECK(StoredText(settings::kFolderForSFiles) == outbox);
        CHECK(StoredText(settings::kFolderForRFiles) == elsewhere / "Inbox");
    }
}
