// Databases on the handheld's card 0, through the Sync Manager. The handheld allows one open
// database at a time, so every open one is closed on every way out.
#pragma once

#include <windows.h>

#include <string>

enum class RecordRead { Read, NoRecord, Failed };

class HandheldDatabase {
public:
    HandheldDatabase() = default;
    HandheldDatabase(const HandheldDatabase&) = delete;
    HandheldDatabase& operator=(const HandheldDatabase&) = delete;
    ~HandheldDatabase() { Close(); }

    // Opens an existing database for reading (mode 0x90).
    bool Open(const std::string& name);
    // Creates a file database of the conduit's type and creator, open for writing.
    bool Create(const std::string& name);
    // True when the database was closed without error, or was not open.
    bool Close();

    bool isOpen() const { return open_; }

    // Reads record `index` into `buffer`; `size` is the record's size, which may exceed the buffer.
    RecordRead ReadRecord(WORD index, void* buffer, WORD bufferSize, DWORD& size) const;
    // Adds a new record (attributes dirty, category 0).
    bool AppendRecord(const void* data, WORD size) const;

private:
    BYTE handle_ = 0;
    bool open_ = false;
};
