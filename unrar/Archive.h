// One open RAR 4.x archive, read block by block. Entry data is streamed through a fixed 64 KiB
// buffer, so memory does not grow with an entry's size.
#pragma once

#include "interfaces/unrar/unrar.h"
#include "unrar/RarBlocks.h"
#include "win/Handles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rar {

class Archive {
public:
    // Opens an archive and reads its marker and main header; `result` is an ERAR_ code.
    static Archive* Open(const std::wstring& path, unsigned openMode, unsigned& result);

    const std::wstring& path() const { return path_; }
    uint16_t mainFlags() const { return mainFlags_; }
    const FileEntry& entry() const { return entry_; }

    // Moves to the next file entry's header: ERAR_SUCCESS, ERAR_END_ARCHIVE or an error.
    int ReadHeader();
    // Skips, tests or extracts the entry whose header was read last. An empty destName writes
    // destPath + the stored name.
    int ProcessFile(int operation, const std::wstring& destPath, const std::wstring& destName);

    void SetCallback(UNRARCALLBACK callback, LPARAM userData) {
        callback_ = callback;
        userData_ = userData;
    }
    void SetProcessDataProc(PROCESSDATAPROC proc) { processDataProc_ = proc; }
    void SetPassword(bool given) { passwordGiven_ = given; }

private:
    Archive(win::File file, std::wstring path, uint64_t size, unsigned openMode);

    // Where the marker block is: at the start, or inside a self-extracting archive's first 4 MiB.
    std::optional<uint64_t> FindMarker();
    int ReadMainHeader();
    // Reads and checks the block at `offset` into header_; false when it is cut short or damaged.
    bool ReadBlock(uint64_t offset, BlockHeader& header, uint64_t& dataSize);
    // Makes the file block's entry the current one (ERAR_SUCCESS), passes over the rest of a
    // split file, or says that the block is broken.
    int TakeFileBlock(const BlockHeader& header, uint64_t dataAt, uint64_t dataSize);
    bool Seek(uint64_t offset);
    bool ReadAt(uint64_t offset, void* buffer, DWORD size);
    int CheckUnpackable() const;
    // Reads the entry's data, checks its CRC-32 and passes each piece to `output` (may be null).
    int StreamData(HANDLE output);
    int Extract(const std::wstring& destPath, const std::wstring& destName);
    bool ReportData(unsigned char* data, DWORD size);

    win::File file_;
    std::wstring path_;
    uint64_t size_;
    unsigned openMode_;
    uint16_t mainFlags_ = 0;
    uint64_t next_ = 0;   // where the next block starts
    uint64_t dataAt_ = 0; // where the current entry's data starts
    bool haveEntry_ = false;
    bool atEnd_ = false;
    FileEntry entry_;
    std::vector<unsigned char> header_;
    std::vector<unsigned char> buffer_;
    UNRARCALLBACK callback_ = nullptr;
    LPARAM userData_ = 0;
    PROCESSDATAPROC processDataProc_ = nullptr;
    bool passwordGiven_ = false;
};

} // namespace rar
