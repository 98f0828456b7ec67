#include "conduit/Questions.h"

#include "settings/Settings.h"

bool AllowsOverwrite(MessageBoxFunction messageBox, DWORD policy, const std::string& question) {
    if (policy == settings::Ask) {
        return messageBox(nullptr, question.c_str(), "Kestrin Conduit", MB_YESNO | MB_ICONWARNING) == IDYES;
    }
    return policy != settings::DoNothing;
}
