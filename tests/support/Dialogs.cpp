#include "tests/support/Dialogs.h"

namespace testsupport {

int NextAnswer(std::deque<int>& answers, UINT style, int whenOutOfAnswers) {
    if ((style & MB_TYPEMASK) != MB_YESNO) {
        return IDOK;
    }
    if (answers.empty()) {
        return whenOutOfAnswers;
    }
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

void PumpMessages(HWND dialog) {
    MSG message = {};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog == nullptr || !IsWindow(dialog) || !IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void PressKey(HWND dialog, WPARAM key) {
    MSG message = {GetFocus() != nullptr ? GetFocus() : dialog, WM_KEYDOWN, key, 0, 0, {0, 0}};
    IsDialogMessageA(dialog, &message);
}

} // namespace testsupport
