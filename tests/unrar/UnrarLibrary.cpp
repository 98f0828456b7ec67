#include "tests/unrar/UnrarLibrary.h"

#include "tests/support/Files.h"
#include "win/Handles.h"

#include <doctest/doctest.h>

namespace rartest {
namespace {} // namespace

UnrarLibrary::UnrarLibrary()
    : module(LoadLibraryA(testsupport::Join(testsupport::ProgramFolder(), "unrar.dll").c_str())) {
    HMODULE m = module.get();
    open = win::ProcAddress<RAROpenArchiveFn>(m, "RAROpenArchive");
    openEx = win::ProcAddress<RAROpenArchiveExFn>(m, "RAROpenArchiveEx");
    readHeader = win::ProcAddress<RARReadHeaderFn>(m, "RARReadHeader");
    readHeaderEx = win::ProcAddress<RARReadHeaderExFn>(m, "RARReadHeaderEx");
    processFile = win::ProcAddress<RARProcessFileFn>(m, "RARProcessFile");
    processFileW = win::ProcAddress<RARProcessFileWFn>(m, "RARProcessFileW");
    close = win::ProcAddress<RARCloseArchiveFn>(m, "RARCloseArchive");
    setCallback = win::ProcAddress<RARSetCallbackFn>(m, "RARSetCallback");
    getDllVersion = win::ProcAddress<RARGetDllVersionFn>(m, "RARGetDllVersion");
}

const UnrarLibrary& Unrar() {
    static UnrarLibrary library;
    REQUIRE(library.module);
    REQUIRE((library.open != nullptr));
    REQUIRE((library.readHeader != nullptr));
    REQUIRE((library.processFile != nullptr));
    REQUIRE((library.close != nullptr));
    return library;
}

OpenedArchive::OpenedArchive(const std::string& path, unsigned mode) {
    RAROpenArchiveData data = {};
    data.ArcName = const_cast<char*>(path.c_str());
    data.OpenMode = mode;
    data.OpenResult = 0xDEAD;
    handle_ = Unrar().open(&data);
    result_ = data.OpenResult;
}

OpenedArchive::~OpenedArchive() {
    if (handle_) {
        Unrar().close(handle_);
    }
}

int OpenedArchive::ReadHeader(RARHeaderData& header) const {
    return Unrar().readHeader(handle_, &header);
}

int OpenedArchive::Process(int operation, const std::string& destPath, const std::string& destName) const {
    return Unrar().processFile(handle_, operation,
                               destPath.empty() ? nullptr : const_cast<char*>(destPath.c_str()),
                               destName.empty() ? nullptr : const_cast<char*>(destName.c_str()));
}

std::vector<Listed> ListAll(const std::string& path, int& last) {
    std::vector<Listed> entries;
    OpenedArchive archive(path, RAR_OM_LIST);
    REQUIRE(archive.handle());
    RARHeaderData header = {};
    while ((last = archive.ReadHeader(header)) == ERAR_SUCCESS) {
        entries.push_back({header.FileName, header});
        if (archive.Process(RAR_SKIP, "") != ERAR_SUCCESS) {
            break;
        }
    }
    return entries;
}

std::string PutArchive(const std::string& folder, const std::string& bytes, const std::string& name) {
    std::string path = testsupport::Join(folder, name);
    REQUIRE(testsupport::WriteBytes(path, bytes));
    return path;
}

} // namespace rartest
