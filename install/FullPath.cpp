#include "install/FullPath.h"

namespace install {
namespace {

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

bool IsFullPath(const std::string& path) {
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
        return path.size() == 2 || path[2] == '\\';
    }
    if (path.size() >= 3 && path[0] == '\\' && path[1] == '\\') {
        return path[2] != '\\' && path[2] != '.' && path[2] != '?';
    }
    return false;
}

} // namespace install
