#include "formats/FileNames.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace formats {

namespace {

constexpr const char* kForbiddenCharacters = "<>:\"/\\|?*";
constexpr const char* kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
constexpr const char* kNumberedDevices[] = {"COM", "LPT"};
// 0-9 and the superscript digits 1, 2 and 3 (the same values in the ANSI code page and in UTF-16),
// which Windows also counts.
constexpr unsigned kDeviceDigits[] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 0xB9, 0xB2, 0xB3};

bool HasForbiddenCharacter(const std::string& name) {
    for (unsigned char c : name) {
        if (c < 0x20 || std::strchr(kForbiddenCharacters, c) != nullptr) {
            return true;
        }
    }
    return false;
}

// A character's value: a byte of the ANSI code page or a UTF-16 unit.
unsigned CodeOf(char c) {
    return static_cast<unsigned char>(c);
}
unsigned CodeOf(wchar_t c) {
    return static_cast<unsigned>(c);
}

// Device names are plain ASCII, so ASCII letters are all this portable layer needs to fold; names
// of files are compared by the file system's rule, win::SameName.
template <class Char> bool EqualsIgnoringCase(const std::basic_string<Char>& left, const char* right) {
    if (left.size() != std::strlen(right)) {
        return false;
    }
    for (size_t i = 0; i < left.size(); ++i) {
        unsigned code = CodeOf(left[i]);
        if (code > 0x7F || std::tolower(static_cast<int>(code)) != std::tolower(right[i])) {
            return false;
        }
    }
    return true;
}

// Windows ignores the extension and the spaces before it.
template <class Char> bool IsDeviceBaseName(std::basic_string<Char> base) {
    base = base.substr(0, base.find(Char('.')));
    while (!base.empty() && base.back() == Char(' ')) {
        base.pop_back();
    }
    for (const char* device : kDeviceNames) {
        if (EqualsIgnoringCase(base, device)) {
            return true;
        }
    }
    if (base.size() != 4 || std::find(std::begin(kDeviceDigits), std::end(kDeviceDigits), CodeOf(base[3])) ==
                                std::end(kDeviceDigits)) {
        return false;
    }
    return std::any_of(std::begin(kNumberedDevices), std::end(kNumberedDevices),
                       [&](const char* prefix) { return EqualsIgnoringCase(base.substr(0, 3), prefix); });
}

} // namespace

bool IsDeviceName(const std::string& name) {
    return IsDeviceBaseName(name);
}

bool IsDeviceName(const std::wstring& name) {
    return IsDeviceBaseName(name);
}

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
