// Rules of the outgoing file list: which icon a file type gets and how the cells read.
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

// Cell texts: size in kilobytes with two decimals ("1.50Kb"), date "mm.dd.yyyy", time "hh:mm AM".
std::string FormatSize(std::uint64_t bytes);
std::string FormatDate(const SYSTEMTIME& time);
std::string FormatTime(const SYSTEMTIME& time);
// A file time as local time of the day it names.
SYSTEMTIME LocalTimeOf(const FILETIME& time);
