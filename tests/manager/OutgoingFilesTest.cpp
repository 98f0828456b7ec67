#include "manager/ManagerUi.h"
#include "manager/OutgoingFiles.h"
#include "ManagerTestSupport.h"
#include "settings/OutgoingFolder.h"
#include "win/Paths.h"

#include <doctest/doctest.h>

#include <set>

TEST_CASE("file-type images: lookup examples and the table's shape") {
    CHECK(LookupImage(ExtensionOf("photo.JPG")) == 81);
    CHECK(LookupImage(ExtensionOf("archive.tar.gz")) == 3);
    CHECK(LookupImage(ExtensionOf("readme")) == 3);
    CHECK(LookupImage(ExtensionOf("notes.")) == 3);
    CHECK(LookupImage(ExtensionOf("main.c")) == 21);
    CHECK(LookupImage(ExtensionOf("main.h")) == 8);
    CHECK(LookupImage("prc") == 73);
    CHECK(LookupImage("tiff") == 86);
    CHECK(LookupImage("386") == 0);

    std::set<std::string> extensions;
    std::set<int> images;
    for (const ExtensionImage& entry : ExtensionImageTable) {
        CHECK(extensions.insert(entry.extension).second);
        CHECK(std::string(entry.extension) == ToLower(entry.extension));
        images.insert(entry.image);
    }
    // Every image of the strip has an extension but the default one and image 56.
    CHECK(images.size() == kFileTypeImageCount - 2);
    CHECK(images.count(kDefaultFileImage) == 0);
    CHECK(images.count(56) == 0);
    CHECK(*images.rbegin() == kFileTypeImageCount - 1);
}

TEST_CASE("names, extensions and the reserved name") {
    CHECK(win::LastComponentOf("C:\\data\\report.doc") == "report.doc");
    CHECK(win::LastComponentOf("report.doc") == "report.doc");
    CHECK(ExtensionOf("Report.DOC") == "doc");
    CHECK(ExtensionOf("a.b.Txt") == "txt");
    CHECK(settings::IsReservedName("SerialSync.TXT"));
    CHECK(settings::IsReservedName("serialsync.txt"));
    CHECK_FALSE(settings::IsReservedName("serialsync.txt.bak"));
}

TEST_CASE("cell texts: size in kilobytes, date and 12-hour time") {
    CHECK(FormatSize(1) == "0.00Kb");
    CHECK(FormatSize(100) == "0.10Kb");
    CHECK(FormatSize(1536) == "1.50Kb");
    CHECK(FormatSize(5ull * 1024 * 1024 * 1024) == "5242880.00Kb");

    SYSTEMTIME afternoon = {2023, 3, 0, 7, 15, 4, 0, 0};
    CHECK(FormatDate(afternoon) == "03.07.2023");
    CHECK(FormatTime(afternoon) == "03:04 PM");
    SYSTEMTIME midnight = {1999, 12, 0, 31, 0, 5, 0, 0};
    CHECK(FormatTime(midnight) == "12:05 AM");
    SYSTEMTIME noon = {2001, 1, 0, 2, 12, 0, 0, 0};
    CHECK(FormatTime(noon) == "12:00 PM");
}

TEST_CASE("an open-file answer gives one path or the folder joined with each name") {
    const char single[] = "C:\\data\\one.txt\0";
    CHECK(SplitFileSelection(single, sizeof(single)) == std::vector<std::string>{"C:\\data\\one.txt"});
    const char several[] = "C:\\data\0one.txt\0two.doc\0";
    CHECK(SplitFileSelection(several, sizeof(several)) ==
          std::vector<std::string>{"C:\\data\\one.txt", "C:\\data\\two.doc"});
    const char root[] = "C:\\\0one.txt\0two.doc\0";
    CHECK(SplitFileSelection(root, sizeof(root)) == std::vector<std::string>{"C:\\one.txt", "C:\\two.doc"});
    const char none[] = "\0";
    CHECK(SplitFileSelection(none, sizeof(none)).empty());
}
