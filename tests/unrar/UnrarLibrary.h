// unrar.dll as Setup sees it: loaded from the program's folder, its calls looked up by name.
#pragma once

#include "interfaces/unrar/unrar.h"
#include "win/Handles.h"

#include <string>
#include <vector>

namespace rartest {

struct UnrarLibrary {
    UnrarLibrary();

    win::Module module;
    RAROpenArchiveFn open = nullptr;
    RAROpenArchiveExFn openEx = nullptr;
    RARReadHeaderFn readHeader = nullptr;
    RARReadHeaderExFn readHeaderEx = nullptr;
    RARProcessFileFn processFile = nullptr;
    RARProcessFileWFn processFileW = nullptr;
    RARCloseArchiveFn close = nullptr;
    RARSetCallbackFn setCallback = nullptr;
    RARGetDllVersionFn getDllVersion = nullptr;
};

const UnrarLibrary& Unrar();

// An archive opened for the length of a test; `result` is OpenResult.
class OpenedArchive {
public:
    OpenedArchive(const std::string& path, unsigned mode);
    ~OpenedArchive();
    OpenedArchive(const OpenedArchive&) = delete;
    OpenedArchive& operator=(const OpenedArchive&) = delete;

    HANDLE handle() const { return handle_; }
    unsigned result() const { return result_; }

    int ReadHeader(RARHeaderData& header) const;
    int Process(int operation, const std::string& destPath, const std::string& destName = "") const;

private:
    HANDLE handle_ = nullptr;
    unsigned result_ = 0;
};

struct Listed {
    std::string name;
    RARHeaderData header;
};

// Every entry's header until RARReadHeader stops; `last` is the code it stopped with.
std::vector<Listed> ListAll(const std::string& path, int& last);

// Writes `bytes` as an archive file in `folder` and returns its path.
std::string PutArchive(const std::string& folder, const std::string& bytes,
                       const std::string& name = "test.rar");

} // namespace rartest
