// Driving a dialog in the test process: its message loop, its keys, scripted message boxes.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

namespace testsupport {

// The answer of a scripted message box: OK to a message; to a Yes/No question the script's next
// answer, or `whenOutOfAnswers` once the script has run out.
int NextAnswer(std::deque<int>& answers, UINT style, int whenOutOfAnswers);

// The texts of the recorded messages, in order.
template <class Message> std::vector<std::string> MessageTexts(const std::vector<Message>& messages) {
    std::vector<std::string> texts;
    for (const Message& message : messages) {
        texts.push_back(message.text);
    }
    return texts;
}

// Delivers every queued message of this thread, through the dialog's keyboard handling while the
// dialog is open.
void PumpMessages(HWND dialog);
// What the dialog's message loop does with a press of `key` on the focused control.
void PressKey(HWND dialog, WPARAM key);

} // namespace testsupport
