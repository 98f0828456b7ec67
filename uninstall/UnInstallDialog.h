// UnInstall's one dialog: asks once, runs the removal when its message loop first gets the chance,
// marks each step that succeeded, warns when something was left, and offers to restart Windows.
#pragma once

#include "framework/Dialog.h"
#include "framework/Wnd.h"
#include "uninstall/Removal.h"
#include "uninstall/UnInstallUi.h"

#include <windows.h>

inline constexpr const char* kConfirmationMessage =
    "Are you sure do you want to completely remove \"Kestrin v2.1\"\nand all of its components from your "
    "computer?";
inline constexpr const char* kRestartQuestion =
    "UnInstallation complete! You need to restart Windows before\n"
    "the new setting will take effect. Restart Windows now?";
// After a removal in which a step failed: the steps without a mark are the ones left.
inline constexpr const char* kIncompleteRestartQuestion =
    "UnInstallation incomplete! Some items could not be removed: the steps\n"
    "without \"Ok!\" show which. You need to restart Windows before\n"
    "the new setting will take effect. Restart Windows now?";
// After a removal that left items in use, and kept what a second run needs.
inline constexpr const char* kUnfinishedRestartQuestion =
    "UnInstallation incomplete! Some items could not be removed: the steps\n"
    "without \"Ok!\" show which. Close the programs that use them, or restart\n"
    "Windows, then run UnInstall again to remove the rest. Restart Windows now?";

class UnInstallDialog : public CDialog {
public:
    // Posted by the start-up once the user has confirmed; the removal runs when it is delivered.
    static constexpr UINT kRemoveMessage = WM_USER + 20;

    explicit UnInstallDialog(UnInstallUi& ui, HWND parent = nullptr);

    bool Refused() const { return refused; }
    bool RemovalDone() const { return removalDone; }
    bool AllRemoved() const { return allRemoved; }
    const RemovalOutcome& Outcome() const { return outcome; }

protected:
    BOOL OnInitDialog() override;
    // The "Ok" button, Esc and the close box.
    void OnCancel() override;
    // Enter: the dialog's only button is "Ok", so Enter ends it the same way.
    void OnOK() override { OnCancel(); }
    // The removal message starts the removal.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void MakeFonts();
    void OnRemove();
    void ShowMark(int step) const;
    void ShowWarning() const;
    const char* ClosingQuestion() const;

    UnInstallUi& ui;
    CFont headlineFont;
    CFont markFont;
    bool allRemoved = false;
    bool refused = false;
    bool removalDone = false;
    RemovalOutcome outcome;
};
