// Rules and helpers of the outgoing file list: which entries of the outgoing folder are listed,
// which icon a file type gets, how the cells read, and the path and file helpers the list uses.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct ExtensionImage {
    const char* extension; // lower case, without the dot
    int image;             // index into the file-type strip (bitmap 132)
};

inline constexpr int kExtensionImageCount = 133;
inline constexpr int kFileTypeImageCount = 87;
// The image of a name without an extension, or of an extension not in the table.
inline constexpr int kDefaultFileImage = 3;

// In the order of comparison; no two entries are equal.
extern const ExtensionImage ExtensionImageTable[kExtensionImageCount];

// The image index of a lower-case extension.
int LookupImage(const std::string& extension);

// Lower case in the system's ANSI code page.
std::string ToLower(std::string text);
// The lower-case text after the last dot of a name, or empty when it has no dot.
std::string ExtensionOf(const std::string& name);

std::uint64_t FileSizeOf(const WIN32_FIND_DATAA& entry);

// Cell texts: size in kilobytes with two decimals ("1.50Kb"), date "mm.dd.yyyy", time "hh:mm AM".
std::string FormatSize(std::uint64_t bytes);
std::string FormatDate(const SYSTEMTIME& time);
std::string FormatTime(const SYSTEMTIME& time);
// A file time as local time of the day it names.
SYSTEMTIME LocalTimeOf(const FILETIME& time);

// True when both paths name the same folder, however spelt (letter case, trailing backslash, short
// form, dots). Folders that do not exist are compared by their full long paths.
bool IsSameFolder(const std::string& first, const std::string& second);
// True when both paths name one and the same existing file, however spelt.
bool IsSameFile(const std::string& first, const std::string& second);
// Copies a file over any file of the target's name; false when the copy failed or when both
// paths name the same file (a copy onto itself would only risk its contents).
bool CopyReplacing(const std::string& source, const std::string& target);
// Copies a file only where no file or folder of the target's name exists yet.
bool CopyWithoutReplacing(const std::string& source, const std::string& target);
// True when a new file can be made in the folder: it exists and the user may write into it. Tries
// with a file of a name of its own, which is gone again at once.
bool CanCreateFileIn(const std::string& folder);
// Deletes a file, read-only or not. True when the file is gone: deleted now or already missing.
bool DeleteFileIfPresent(const std::string& path);
