// Which names from the handheld may become PC file names. (Which PC files the conduit sends is the
// shared outgoing-file rule, settings/OutgoingFolder.h.)
#pragma once

#include <string>

namespace formats {

// A name from the handheld that may be used as a file name in the incoming folder: not empty, not
// "." or "..", no folder separator, drive colon, control or other forbidden character, no trailing
// dot or space, and not a device name such as CON or LPT1.TXT.
bool IsSafeFileName(const std::string& name);

// A name Windows opens as a device whatever extension follows it: CON, PRN, AUX, NUL, CLOCK$, the
// console's CONIN$ and CONOUT$, COM and LPT with one digit (superscript 1, 2 and 3 among them).
// Narrow names are in the ANSI code page; wide ones are UTF-16.
bool IsDeviceName(const std::string& name);
bool IsDeviceName(const std::wstring& name);

// A name from the handheld as it may be shown on a console: control bytes, bytes from 0x7F up,
// backslash and quotation mark as \xNN.
std::string PrintableName(const std::string& name);

} // namespace formats
