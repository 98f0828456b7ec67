// The outside archivers WinZip and WinRar, found through their App Paths registration. They pack a
// file into, or unpack, a temporary archive in the folder they are started in.
#pragma once

#include "settings/Settings.h"

#include <optional>
#include <string>

// The registered program path; nothing when the registration key cannot be opened.
std::optional<std::string> ResolveArchiverPath(settings::ArchiverChoice archiver);

// "$$temp$$.zip" for WinZip, "$$temp$$.rar" for WinRar.
const char* TemporaryArchiveName(settings::ArchiverChoice archiver);

// The program path as registered (never quoted), then the archiver's own arguments.
std::string CompressCommand(settings::ArchiverChoice archiver, const std::string& programPath,
                            const std::string& fileName);
std::string ExpandCommand(settings::ArchiverChoice archiver, const std::string& programPath);

// Starts the command hidden, with `folder` as its current directory, and waits for it to end, however
// long that takes. False when it could not be started; its exit code goes to `exitCode` when asked.
bool RunArchiver(const std::string& commandLine, const std::string& folder, DWORD* exitCode = nullptr);

// Runs the command and tells whether the archiver started and ended with exit code 0.
bool ArchiverSucceeds(const std::string& commandLine, const std::string& folder);
