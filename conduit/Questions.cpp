#include "conduit/Questions.h"

MessageBoxFunction conduitMessageBox = MessageBoxA;

bool UserAllowsOverwrite(const std::string& text) {
    return conduitMessageBox(nullptr, text.c_str(), "Kestrin Conduit", MB_YESNO | MB_ICONWARNING) == IDYES;
}
