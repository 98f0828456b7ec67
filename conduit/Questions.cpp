#include "conduit/Questions.h"

#include "settings/Settings.h"

MessageBoxFunction conduitMessageBox = MessageBoxA;

bool UserAllowsOverwrite(const std::string& text) {
    return conduitMessageBox(nullptr, text.c_str(), "Kestrin Conduit", MB_YESNO | MB_ICONWARNING) == IDYES;
}

bool AllowsOverwrite(DWORD policy, const std::string& question) {
    if (policy == settings::Ask) {
        return UserAllowsOverwrite(question);
    }
    return policy != settings::DoNothing;
}
