// What kestrin-files needs of the operating system beyond standard C++: files created only when
// new, a whole file given its name without replacing another, a file's last-write time, and
// whether an output is a terminal.
#pragma once

#include "formats/FileDatabase.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace files {

struct SourceFile {
    uint64_t size = 0;
    formats::LocalTime lastWrite; // local time
};

// A plain file's size and last-write time; false for a folder, a device or a missing path.
bool ReadSourceFile(const std::string& path, SourceFile& out);
bool IsFolder(const std::string& path);
bool PathExists(const std::string& path);

// Opens `path` for writing only when no file of that name exists yet.
std::FILE* CreateNewFile(const std::string& path);

enum class Placed { Done, Exists, Failed };
// Gives the whole file `from` the name `to`, in one step; an existing `to` is replaced only when
// `replace` is set.
Placed PlaceFile(const std::string& from, const std::string& to, bool replace);

bool IsTerminal(std::FILE* stream);
// The current local time.
formats::LocalTime LocalNow();
// Seconds since 1904-01-01 in local time, as Palm OS keeps its dates.
uint32_t PalmTimeNow();

std::string JoinPath(const std::string& folder, const std::string& name);
// The name after the last folder separator.
std::string BaseName(const std::string& path);

} // namespace files
