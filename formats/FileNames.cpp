#include "formats/FileNames.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace formats {

namespace {

constexpr const char* kForbiddenCharacters = "<>:\"/\\|?*";
constexpr const char* kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
constexpr const char* kNumberedDevices[] = {"COM", "LPT"};
// 0-9 and the superscript digits 1, 2 and 3 of the ANSI code page, which Windows also counts.
constexpr const char* kDeviceDigits = "0123456789\xB9\xB2\xB3";

bool HasForbiddenCharacter(const std::string& name) {
    for (unsigned char c : name) {
        if (c < 0x20 || std::strchr(kForbiddenCharacters, c) != nullptr) {
            return true;
        }
    }
    return false;
}

// Device names are plain ASCII, so ASCII letters are all this portable layer needs to fold; names
// of files are compared by the file system's rule, win::SameName.
bool EqualsIgnoringCase(const std::string& left, const std::string& right) {
    if (left.size() != right.size()) {
        return false;
    }
    for (size_t i = 0; i < left.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(left[i])) !=
            std::tolower(static_cast<unsigned char>(right[i]))) {
            return false;
        }
    }
    return true;
}

// Windows maps a device name to the device whatever extension follows it, and ignores spaces
// before that extension.
bool IsDeviceName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.pop_back();
    }
    for (const char* device : kDeviceNames) {
        if (EqualsIgnoringCase(base, device)) {
            return true;
        }
    }
    for (const char* prefix : kNumberedDevices) {
        if (base.size() == 4 && EqualsIgnoringCase(base.substr(0, 3), prefix) &&
            std::strchr(kDeviceDigits, base[3]) != nullptr) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string PrintableName(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        if (c < 0x20 || c >= 0x7F || c == '\\' || c == '"') {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool IsSafeFileName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || HasForbiddenCharacter(name)) {
        return false;
    }
    if (name.back() == '.' || name.back() == ' ') {
        return false;
    }
    return !IsDeviceName(name);
}

} // namespace formats
