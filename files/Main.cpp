// kestrin-files: Kestrin file databases without HotSync. The engine is FileTool; this is its
// command line: arguments in, one line per file out, errors on the standard error.
#include "files/FileTool.h"
#include "files/Platform.h"
#include "formats/FileNames.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

enum ExitCode { kSuccess = 0, kSomeFailed = 1, kBadUsage = 2 };

const char* const kUsage =
    "usage:\n"
    "  kestrin-files pack FILE... [-o DIR] [--zip] [--overwrite]\n"
    "  kestrin-files unpack DB.pdb... [-o DIR] [--overwrite]\n"
    "  kestrin-files queue NAME... -o FILE.pdb [--overwrite]\n"
    "  kestrin-files list DB.pdb... [--json]\n"
    "\n"
    "pack     writes one Kestrin file database per file, named as the handheld names it\n"
    "         (--zip: stored as a zip archive of the file, as HotSync does with WinZip)\n"
    "unpack   writes the file each database holds, expanding a zip or rar archive\n"
    "queue    writes the queue database KestrinDatabaseFiles listing databases for the PC\n"
    "list     shows name, type, creator, records, size and compression of each database\n"
    "\n"
    "-o DIR        output folder (default: the current folder; made when missing)\n"
    "--overwrite   replace existing files (never done otherwise)\n"
    "\n"
    "exit status: 0 all done, 1 some file failed, 2 bad usage\n";

struct Arguments {
    std::string command;
    std::vector<std::string> operands;
    std::string output;
    bool zip = false;
    bool json = false;
    bool overwrite = false;
    bool help = false;
};

bool Parse(int argc, char** argv, Arguments& arguments) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            (arguments.command.empty() ? arguments.command
                                       : (arguments.operands.push_back(argument), argument)) = argument;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            arguments.help = true;
        } else if ((argument == "-o" || argument == "--output") && i + 1 < argc) {
            arguments.output = argv[++i];
        } else if (argument == "--zip") {
            arguments.zip = true;
        } else if (argument == "--json") {
            arguments.json = true;
        } else if (argument == "--overwrite") {
            arguments.overwrite = true;
        } else {
            std::fprintf(stderr, "kestrin-files: unknown option %s\n", argument.c_str());
            return false;
        }
    }
    return true;
}

class ConsoleObserver : public files::ToolObserver {
public:
    ConsoleObserver() : terminal_(files::IsTerminal(stderr)) {}
    void Done(const std::string& line) override {
        ClearProgress();
        std::printf("%s\n", line.c_str());
    }
    void Failed(const std::string& file, const std::string& reason) override {
        ClearProgress();
        std::fflush(stdout);
        std::fprintf(stderr, "kestrin-files: %s: %s\n", file.c_str(), reason.c_str());
    }
    void Progress(const std::string& file, uint64_t done, uint64_t total) override {
        int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        if (!terminal_ || percent == shown_) {
            return;
        }
        shown_ = percent;
        std::fprintf(stderr, "\r%s: %3d%%", file.c_str(), percent);
        std::fflush(stderr);
    }

private:
    void ClearProgress() {
        if (shown_ >= 0) {
            std::fprintf(stderr, "\r\x1b[K");
            shown_ = -1;
        }
    }
    bool terminal_;
    int shown_ = -1;
};

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

void PrintSummary(const files::DatabaseSummary& s, const std::string& path, bool json, bool first) {
    if (json) {
        std::printf("%s\n  {\"file\": %s, \"name\": %s, \"type\": %s, \"creator\": %s, \"records\": %zu, "
                    "\"size\": %llu, \"kestrinFile\": %s, \"compression\": %s}",
                    first ? "" : ",", JsonText(path).c_str(), JsonText(s.name).c_str(),
                    JsonText(s.type).c_str(), JsonText(s.creator).c_str(), s.records,
                    static_cast<unsigned long long>(s.size), s.kestrinFile ? "true" : "false",
                    s.kestrinFile ? JsonText(s.compression).c_str() : "null");
        return;
    }
    std::printf(
        "%s: \"%s\" type %s creator %s, %zu records, %llu bytes, %s\n", path.c_str(),
        formats::PrintableName(s.name).c_str(), formats::PrintableName(s.type).c_str(),
        formats::PrintableName(s.creator).c_str(), s.records, static_cast<unsigned long long>(s.size),
        s.kestrinFile
            ? ("Kestrin file " + formats::PrintableName(s.fileName) + ", compression " + s.compression).c_str()
            : "not a Kestrin file database");
}

int List(files::FileTool& tool, const Arguments& arguments) {
    bool allRead = true;
    bool first = true;
    if (arguments.json) {
        std::printf("[");
    }
    for (const std::string& path : arguments.operands) {
        files::DatabaseSummary summary;
        if (tool.Describe(path, summary)) {
            PrintSummary(summary, path, arguments.json, first);
            first = false;
        } else {
            allRead = false;
        }
    }
    if (arguments.json) {
        std::printf("%s]\n", first ? "" : "\n");
    }
    return allRead ? kSuccess : kSomeFailed;
}

int Run(const Arguments& arguments) {
    const std::string& command = arguments.command;
    bool known = command == "pack" || command == "unpack" || command == "queue" || command == "list";
    bool outputAllowed = command != "list" || arguments.output.empty();
    bool zipAllowed = command == "pack" || !arguments.zip;
    bool jsonAllowed = command == "list" || !arguments.json;
    if (!known || arguments.operands.empty() || !outputAllowed || !zipAllowed || !jsonAllowed ||
        (command == "queue" && arguments.output.empty())) {
        std::fputs(kUsage, stderr);
        return kBadUsage;
    }
    files::ToolOptions options;
    options.zip = arguments.zip;
    options.overwrite = arguments.overwrite;
    if (!arguments.output.empty() && command != "queue") {
        options.outputFolder = arguments.output;
    }
    ConsoleObserver observer;
    files::FileTool tool(options, observer);
    if (command == "list") {
        return List(tool, arguments);
    }
    if (command == "queue") {
        return tool.Queue(arguments.operands, arguments.output) ? kSuccess : kSomeFailed;
    }
    if (!tool.PrepareOutputFolder()) {
        return kSomeFailed;
    }
    bool allDone = true;
    for (const std::string& path : arguments.operands) {
        allDone = (command == "pack" ? tool.Pack(path) : tool.Unpack(path)) && allDone;
    }
    return allDone ? kSuccess : kSomeFailed;
}

} // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (!Parse(argc, argv, arguments)) {
        std::fputs(kUsage, stderr);
        return kBadUsage;
    }
    if (arguments.help) {
        std::fputs(kUsage, stdout);
        return kSuccess;
    }
    try {
        return Run(arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestrin-files: %s\n", error.what());
        return kSomeFailed;
    }
}
