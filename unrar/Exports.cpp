// The library's calls, PASCAL (stdcall), exported by undecorated names through unrar.def. A handle
// is an Archive. Nothing here lets an exception out.
#include "interfaces/unrar/unrar.h"
#include "unrar/Archive.h"
#include "win/Paths.h"

#include <cstring>
#include <new>
#include <string>

namespace {

constexpr unsigned kHeaderNameSize = 260;
constexpr unsigned kHeaderExNameSize = 1024;

std::wstring Widen(const char* text) {
    return text ? win::ToWide(text) : std::wstring();
}

// Copies as much of `text` as fits, always terminated.
void CopyNarrow(char* out, unsigned size, const std::wstring& text, UINT codePage) {
    std::memset(out, 0, size);
    win::ToAnsi(text, codePage).copy(out, size - 1);
}

void CopyWide(wchar_t* out, unsigned size, const std::wstring& text) {
    std::memset(out, 0, size * sizeof(wchar_t));
    text.copy(out, size - 1);
}

unsigned ArchiveFlags(uint16_t mainFlags) {
    unsigned flags = 0;
    const std::pair<uint16_t, unsigned> kMap[] = {
        {rar::kMainVolume, ROADF_VOLUME},
        {rar::kMainComment, ROADF_COMMENT},
        {rar::kMainLock, ROADF_LOCK},
        {rar::kMainSolid, ROADF_SOLID},
        {rar::kMainNewNumbering, ROADF_NEWNUMBERING},
        {rar::kMainAuthenticity, ROADF_SIGNED},
        {rar::kMainRecovery, ROADF_RECOVERY},
        {rar::kMainEncryptedHeaders, ROADF_ENCHEADERS},
        {rar::kMainFirstVolume, ROADF_FIRSTVOLUME},
    };
    for (const auto& [from, to] : kMap) {
        if (mainFlags & from) {
            flags |= to;
        }
    }
    return flags;
}

unsigned EntryFlags(const rar::FileEntry& entry) {
    unsigned flags = entry.flags & (RHDF_SPLITBEFORE | RHDF_SPLITAFTER | RHDF_ENCRYPTED | RHDF_SOLID);
    return entry.IsDirectory() ? flags | RHDF_DIRECTORY : flags;
}

// The fields RARHeaderData and RARHeaderDataEx share after the names.
template <class Header> void FillCommon(Header& header, const rar::FileEntry& entry) {
    header.Flags = EntryFlags(entry);
    header.PackSize = static_cast<unsigned>(entry.packSize);
    header.UnpSize = static_cast<unsigned>(entry.unpSize);
    header.HostOS = entry.hostOs;
    header.FileCRC = entry.fileCrc;
    header.FileTime = entry.fileTime;
    header.UnpVer = entry.unpVer;
    header.Method = entry.method;
    header.FileAttr = entry.attributes;
    header.CmtSize = 0;
    header.CmtState = 0;
}

// RAR 4.x names use backslashes; a Unix-made archive's slashes are shown the same way.
std::wstring DisplayName(const std::wstring& stored) {
    std::wstring name = stored;
    for (wchar_t& c : name) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return name;
}

rar::Archive* AsArchive(HANDLE handle) {
    return static_cast<rar::Archive*>(handle);
}

HANDLE OpenArchive(const std::wstring& path, unsigned openMode, unsigned& result, unsigned& cmtSize,
                   unsigned& cmtState) {
    cmtSize = 0;
    cmtState = 0;
    if (path.empty()) {
        result = ERAR_EOPEN;
        return nullptr;
    }
    try {
        return rar::Archive::Open(path, openMode, result);
    } catch (const std::bad_alloc&) {
        result = ERAR_NO_MEMORY;
    } catch (...) {
        result = ERAR_UNKNOWN;
    }
    return nullptr;
}

template <class Call> int Guarded(Call call) {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return ERAR_NO_MEMORY;
    } catch (...) {
        return ERAR_UNKNOWN;
    }
}

} // namespace

extern "C" {

HANDLE PASCAL RAROpenArchive(RAROpenArchiveData* data) {
    if (!data) {
        return nullptr;
    }
    return OpenArchive(Widen(data->ArcName), data->OpenMode, data->OpenResult, data->CmtSize, data->CmtState);
}

HANDLE PASCAL RAROpenArchiveEx(RAROpenArchiveDataEx* data) {
    if (!data) {
        return nullptr;
    }
    std::wstring path =
        data->ArcNameW && *data->ArcNameW ? std::wstring(data->ArcNameW) : Widen(data->ArcName);
    HANDLE handle = OpenArchive(path, data->OpenMode, data->OpenResult, data->CmtSize, data->CmtState);
    data->Flags = 0;
    if (handle) {
        data->Flags = ArchiveFlags(AsArchive(handle)->mainFlags());
        AsArchive(handle)->SetCallback(data->Callback, data->UserData);
    }
    return handle;
}

int PASCAL RARCloseArchive(HANDLE archive) {
    if (!archive) {
        return ERAR_ECLOSE;
    }
    delete AsArchive(archive);
    return ERAR_SUCCESS;
}

int PASCAL RARReadHeader(HANDLE archive, RARHeaderData* header) {
    if (!archive || !header) {
        return ERAR_UNKNOWN;
    }
    return Guarded([&] {
        rar::Archive& arc = *AsArchive(archive);
        int result = arc.ReadHeader();
        if (result == ERAR_SUCCESS) {
            CopyNarrow(header->ArcName, kHeaderNameSize, arc.path(), CP_ACP);
            CopyNarrow(header->FileName, kHeaderNameSize, DisplayName(arc.entry().name), CP_OEMCP);
            FillCommon(*header, arc.entry());
        }
        return result;
    });
}

int PASCAL RARReadHeaderEx(HANDLE archive, RARHeaderDataEx* header) {
    if (!archive || !header) {
        return ERAR_UNKNOWN;
    }
    return Guarded([&] {
        rar::Archive& arc = *AsArchive(archive);
        int result = arc.ReadHeader();
        if (result != ERAR_SUCCESS) {
            return result;
        }
        const rar::FileEntry& entry = arc.entry();
        std::wstring name = DisplayName(entry.name);
        CopyNarrow(header->ArcName, kHeaderExNameSize, arc.path(), CP_ACP);
        CopyWide(header->ArcNameW, kHeaderExNameSize, arc.path());
        CopyNarrow(header->FileName, kHeaderExNameSize, name, CP_OEMCP);
        CopyWide(header->FileNameW, kHeaderExNameSize, name);
        FillCommon(*header, entry);
        header->PackSizeHigh = static_cast<unsigned>(entry.packSize >> 32);
        header->UnpSizeHigh = static_cast<unsigned>(entry.unpSize >> 32);
        header->DictSize = entry.IsDirectory() ? 0 : 64u << ((entry.flags & rar::kFileDictionaryMask) >> 5);
        header->HashType = RAR_HASH_CRC32;
        std::memset(header->Hash, 0, sizeof(header->Hash));
        header->RedirType = 0;
        header->DirTarget = 0;
        FILETIME local, utc{};
        if (DosDateTimeToFileTime(HIWORD(entry.fileTime), LOWORD(entry.fileTime), &local)) {
            LocalFileTimeToFileTime(&local, &utc);
        }
        header->MtimeLow = utc.dwLowDateTime;
        header->MtimeHigh = utc.dwHighDateTime;
        header->CtimeLow = header->CtimeHigh = header->AtimeLow = header->AtimeHigh = 0;
        return result;
    });
}

int PASCAL RARProcessFileW(HANDLE archive, int operation, wchar_t* destPath, wchar_t* destName) {
    if (!archive) {
        return ERAR_UNKNOWN;
    }
    return Guarded([&] {
        return AsArchive(archive)->ProcessFile(operation, destPath ? destPath : L"",
                                               destName ? destName : L"");
    });
}

int PASCAL RARProcessFile(HANDLE archive, int operation, char* destPath, char* destName) {
    if (!archive) {
        return ERAR_UNKNOWN;
    }
    return Guarded(
        [&] { return AsArchive(archive)->ProcessFile(operation, Widen(destPath), Widen(destName)); });
}

void PASCAL RARSetCallback(HANDLE archive, UNRARCALLBACK callback, LPARAM userData) {
    if (archive) {
        AsArchive(archive)->SetCallback(callback, userData);
    }
}

// Archives are read one volume at a time; the volume procedure is kept for callers that set it.
void PASCAL RARSetChangeVolProc(HANDLE, CHANGEVOLPROC) {}

void PASCAL RARSetProcessDataProc(HANDLE archive, PROCESSDATAPROC proc) {
    if (archive) {
        AsArchive(archive)->SetProcessDataProc(proc);
    }
}

void PASCAL RARSetPassword(HANDLE archive, char* password) {
    if (archive) {
        AsArchive(archive)->SetPassword(password && *password);
    }
}

int PASCAL RARGetDllVersion() {
    return RAR_DLL_VERSION;
}

} // extern "C"
