#include "install/CommandLine.h"

#include <cctype>

namespace install {

std::string ProgramArguments(const char* commandLine) {
    std::string line = commandLine != nullptr ? commandLine : "";
    size_t end = 0;
    if (!line.empty() && line[0] == '"') {
        end = line.find('"', 1);
        end = end == std::string::npos ? line.size() : end + 1;
    } else {
        end = line.find_first_of(" \t");
        end = end == std::string::npos ? line.size() : end;
    }
    return line.substr(end);
}

std::string TrimmedBlanks(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool IsSwitch(const std::string& word, char letter) {
    return word.size() == 2 && word[0] == '/' &&
           std::toupper(static_cast<unsigned char>(word[1])) ==
               std::toupper(static_cast<unsigned char>(letter));
}

} // namespace install
