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
    SUBCASE("a default folder that does not exist either keeps the files where they are, and says so") {
        testsupport::RemoveTree(startOutbox);
        manager.Type(IDC_OUTGOING_FOLDER, root / "Missing");
        manager.PressDone();
        REQUIRE(ui.messages.size() == 2);
        CHECK(ui.messages[0].text == kOutgoingMessage);
        CHECK(ui.messages[1].text.find("They stay in " + outbox + ":\nqueued.txt") != std::string::npos);
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

namespace {

const char* kSameFoldersMessage =
    "The folder for files to be transferred and the folder for files to be received "
    "must be different folders! The folders were not changed.";

std::string ShortForm(const std::string& path) {
    char shortName[MAX_PATH] = {};
    GetShortPathNameA(path.c_str(), shortName, sizeof(shortName));
    return shortName;
}

} // namespace

TEST_CASE_FIXTURE(ManagerFixture,
                  "one folder for both directions gets a message and neither folder is stored") {
    root.WriteFile("Outbox\\queued.txt", "queued");
    std::string shared = root.MakeFolder("Shared transfer folder");
    StoreSettings(stored);
    CurrentDirectoryScope inRoot(root.path());
    OpenManager manager(ui);
    manager.SelectPage(1);
    manager.Click(IDC_PC_TO_PALM_OVERWRITE);

    SUBCASE("the received folder typed as the outgoing one in capitals") {
        manager.Type(IDC_INCOMING_FOLDER, root.path() + "\\OUTBOX");
    }
    SUBCASE("with a trailing backslash") {
        manager.Type(IDC_INCOMING_FOLDER, outbox + "\\");
    }
    SUBCASE("relative to the start folder") {
        manager.Type(IDC_INCOMING_FOLDER, "Outbox");
    }
    SUBCASE("both changed to one new folder, once in its short form") {
        manager.Type(IDC_OUTGOING_FOLDER, shared);
        manager.Type(IDC_INCOMING_FOLDER, ShortForm(shared));
        REQUIRE(ShortForm(shared) != shared);
    }
    SUBCASE("an emptied outgoing folder falls back onto the received one") {
        manager.Type(IDC_OUTGOING_FOLDER, "");
        manager.Type(IDC_INCOMING_FOLDER, outbox);
        REQUIRE(ui.messages.empty());
    }
    manager.PressDone();

    REQUIRE_FALSE(ui.messages.empty());
    CHECK(ui.messages.back().text == kSameFoldersMessage);
    CHECK(ui.messages.back().style == (MB_ICONEXCLAMATION | MB_OK));
    CHECK(StoredText(settings::kFolderForSFiles) == outbox);
    CHECK(StoredText(settings::kFolderForRFiles) == inbox);
    CHECK(StoredNumber(settings::kFromPCToPalm) == DWORD{settings::Overwrite});
    CHECK(ReadWholeFile(outbox + "\\queued.txt") == "queued");
    CHECK(testsupport::Entries(shared).empty());
}

TEST_CASE_FIXTURE(ManagerFixture, "a relative folder is stored as a full path taken from the start folder") {
    root.WriteFile("Outbox\\queued.txt", "queued");
    std::string newOutbox = root.MakeFolder("NewOutbox");
    std::string newInbox = root.MakeFolder("NewInbox");
    ScratchFolder elsewhere;

    SUBCASE("typed relative folders, while the current folder has moved elsewhere") {
        StoreSettings(stored);
        CurrentDirectoryScope inRoot(root.path());
        OpenManager manager(ui);
        CurrentDirectoryScope movedAway(elsewhere.path());
        manager.Type(IDC_OUTGOING_FOLDER, "NewOutbox");
        manager.Type(IDC_INCOMING_FOLDER, ".\\Outbox\\..\\NewInbox\\");
        manager.PressDone();
        CHECK(ui.messages.empty());
        CHECK(StoredText(settings::kFolderForSFiles) == newOutbox);
        CHECK(StoredText(settings::kFolderForRFiles) == newInbox + "\\");
        CHECK(ReadWholeFile(newOutbox + "\\queued.txt") == "queued");
    }
    SUBCASE("a relative folder that does not exist falls back to the default") {
        StoreSettings(stored);
        CurrentDirectoryScope inRoot(root.path());
        OpenManager manager(ui);
        manager.Type(IDC_INCOMING_FOLDER, "Nowhere");
        manager.PressDone();
        REQUIRE(ui.messages.size() == 1);
        CHECK(ui.messages[0].text == kIncomingMessage);
        CHECK(StoredText(settings::kFolderForRFiles) == inbox);
    }
    SUBCASE("relative folders stored earlier are shown and stored full, and nothing moves") {
        stored.outgoingFolder = "Outbox";
        stored.incomingFolder = "Inbox";
        StoreSettings(stored);
        CurrentDirectoryScope inRoot(root.path());
        OpenManager manager(ui);
        CHECK(manager.Names() == std::vector<std::string>{"queued.txt"});
        CHECK(manager.Text(IDC_OUTGOING_FOLDER) == outbox);
        CHECK(manager.Text(IDC_INCOMING_FOLDER) == inbox);
        manager.PressDone();
        CHECK(ui.messages.empty());
        CHECK(StoredText(settings::kFolderForSFiles) == outbox);
        CHECK(StoredText(settings::kFolderForRFiles) == inbox);
        CHECK(ReadWholeFile(outbox + "\\queued.txt") == "queued");
    }
}
