// A stand-in for the RAR extraction library, for Setup's tests. Its "archive" is a text file that
// says what each call answers:
//   line 1: KESTRIN-TEST-PACKAGE (anything else: the open fails with 13)
//   open <code>         the open fails with that code
//   entry <name> <text> an entry; extracting it writes <text> into <folder>\<name>, or DestName
//   cut <name> <text>   an entry that tests whole; extracting it writes <text>, then fails with 19
//   folder <name>       a folder entry; extracting it makes <folder>\<name>
//   fail <code>         an entry whose test and extraction fail with that code
//   header <code>       reading the next header fails with that code
// A missing file fails the open with 15. Built twice: once without RARProcessFile.
#include "interfaces/unrar/unrar.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Archive {
    std::vector<std::string> lines;
    size_t next = 0;
    std::string current;
};

int ReadCode(const std::string& line) {
    std::istringstream words(line);
    std::string word;
    int code = 0;
    words >> word >> code;
    return code;
}

} // namespace

extern "C" __declspec(dllexport) HANDLE WINAPI RAROpenArchive(RAROpenArchiveData* data) {
    std::ifstream file(data->ArcName, std::ios::binary);
    if (!file) {
        data->OpenResult = ERAR_EOPEN;
        return nullptr;
    }
    auto* archive = new Archive;
    for (std::string line; std::getline(file, line);) {
        archive->lines.push_back(line);
    }
    if (archive->lines.empty() || archive->lines[0] != "KESTRIN-TEST-PACKAGE") {
        delete archive;
        data->OpenResult = ERAR_BAD_ARCHIVE;
        return nullptr;
    }
    archive->next = 1;
    if (archive->lines.size() > 1 && archive->lines[1].rfind("open ", 0) == 0) {
        data->OpenResult = static_cast<unsigned int>(ReadCode(archive->lines[1]));
        delete archive;
        return nullptr;
    }
    data->OpenResult = ERAR_SUCCESS;
    return archive;
}

extern "C" __declspec(dllexport) int WINAPI RARReadHeader(HANDLE handle, RARHeaderData* header) {
    auto* archive = static_cast<Archive*>(handle);
    if (archive->next >= archive->lines.size()) {
        return ERAR_END_ARCHIVE;
    }
    archive->current = archive->lines[archive->next++];
    if (archive->current.rfind("header ", 0) == 0) {
        return ReadCode(archive->current);
    }
    std::istringstream words(archive->current);
    std::string kind, name;
    words >> kind >> name;
    lstrcpynA(header->FileName, name.c_str(), sizeof(header->FileName));
    const bool folder = kind == "folder";
    header->Flags = folder ? RHDF_DIRECTORY : 0;
    header->FileAttr = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    return ERAR_SUCCESS;
}

#ifndef FAKE_UNRAR_WITHOUT_PROCESS
extern "C" __declspec(dllexport) int WINAPI
    RARProcessFile(HANDLE handle, int operation, char* destPath, char* destName) {
    auto* archive = static_cast<Archive*>(handle);
    if (archive->current.rfind("fail ", 0) == 0) {
        return ReadCode(archive->current);
    }
    if (operation == RAR_TEST) {
        return ERAR_SUCCESS;
    }
    if (operation != RAR_EXTRACT) {
        return ERAR_UNKNOWN;
    }
    std::istringstream words(archive->current);
    std::string kind, name, text;
    words >> kind >> name;
    std::string folder = destPath != nullptr ? destPath : "";
    std::string path = folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
    if (destName != nullptr) {
        path = destName;
    }
    if (kind == "folder") {
        return CreateDirectoryA(path.c_str(), nullptr) ? ERAR_SUCCESS : ERAR_ECREATE;
    }
    std::getline(words, text);
    if (!text.empty() && text[0] == ' ') {
        text.erase(0, 1);
    }
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        return ERAR_ECREATE;
    }
    out << text;
    if (kind == "cut") {
        return ERAR_EWRITE;
    }
    return out ? ERAR_SUCCESS : ERAR_EWRITE;
}
#endif

extern "C" __declspec(dllexport) int WINAPI RARCloseArchive(HANDLE handle) {
    delete static_cast<Archive*>(handle);
    return ERAR_SUCCESS;
}
