#include "emulated/palm/storage/DatabaseNames.h"

#include "emulated/palm/storage/PdbFormat.h"
#include "formats/FileNames.h"

#include <cstring>

namespace palm {
namespace {

constexpr size_t kSuffixLength = 4;

bool IsKeptAsIs(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
        return true;
    }
    // '~' is escaped too: a name with it could meet another file's 8.3 alias.
    return c != '\0' && std::strchr(" !#$&'()+,-.;=@[]_`{}", c) != nullptr;
}

bool IsUpper(unsigned char c) {
    return c >= 'A' && c <= 'Z';
}

char LowerAscii(char c) {
    return IsUpper(static_cast<unsigned char>(c)) ? static_cast<char>(c + 32) : c;
}

void AppendEscaped(std::string& out, unsigned char c) {
    static const char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = LowerAscii(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

} // namespace

std::string DatabaseFileName(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        bool trailing = i + 1 == name.size() && (c == '.' || c == ' ');
        if (IsUpper(c)) {
            out += '^';
            out += static_cast<char>(c + 32);
        } else if (IsKeptAsIs(c) && !trailing && !(i == 0 && c == ' ')) {
            out += static_cast<char>(c);
        } else {
            AppendEscaped(out, c);
        }
    }
    if (formats::IsDeviceName(out)) {
        std::string rest = out.substr(1);
        out.clear();
        AppendEscaped(out, static_cast<unsigned char>(name[0]));
        out += rest;
    }
    return out + kDatabaseFileSuffix;
}

bool DatabaseNameFromFileName(const std::string& fileName, std::string& name) {
    if (fileName.size() <= kSuffixLength) {
        return false;
    }
    std::string suffix = fileName.substr(fileName.size() - kSuffixLength);
    for (char& c : suffix) {
        c = LowerAscii(c);
    }
    if (suffix != kDatabaseFileSuffix) {
        return false;
    }
    std::string decoded;
    size_t end = fileName.size() - kSuffixLength;
    for (size_t i = 0; i < end; ++i) {
        char c = fileName[i];
        if (c == '^') {
            if (i + 1 >= end || !IsUpper(static_cast<unsigned char>(fileName[i + 1] & ~0x20))) {
                return false;
            }
            decoded += static_cast<char>(fileName[++i] & ~0x20);
        } else if (c == '%') {
            int high = i + 2 < end ? HexValue(fileName[i + 1]) : -1;
            int low = i + 2 < end ? HexValue(fileName[i + 2]) : -1;
            if (high < 0 || low < 0 || (high == 0 && low == 0)) {
                return false;
            }
            decoded += static_cast<char>(high << 4 | low);
            i += 2;
        } else {
            decoded += LowerAscii(c);
        }
    }
    if (!IsValidDatabaseName(decoded)) {
        return false;
    }
    name = decoded;
    return true;
}

} // namespace palm
