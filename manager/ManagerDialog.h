// The manager's one dialog: three pages on a tab control. Files shows and edits the outgoing
// queue, Settings edits the transfer settings, About tells what the program is. The dialog routes
// each button to its page and does the closing work.
#pragma once

#include "framework/Dialog.h"
#include "manager/DialogPage.h"
#include "manager/FilesPage.h"
#include "manager/ManagerUi.h"
#include "manager/SettingsPage.h"
#include "settings/Settings.h"

#include <windows.h>

#include <string>

class ManagerDialog : public CDialog {
public:
    // The tabs, in their order.
    enum Tab { FilesTab = 0, SettingsTab = 1, AboutTab = 2 };

    explicit ManagerDialog(ManagerUi& ui, HWND parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    bool OnCommand(WORD id, WORD code) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    // Done, Enter, Esc and the close box all close the dialog after its closing work.
    void OnOK() override { Close(IDOK); }
    void OnCancel() override { Close(IDCANCEL); }
    // Frees what only the window used.
    void OnDestroy() override;

private:
    // The values the dialog opens with: the stored ones, and Setup's defaults for those missing.
    settings::Store StartValues() const;
    void OnTabChanged(LRESULT& result);
    DialogPage& PageOf(int tab);
    void InsertTabs();
    void SetFonts();
    // The closing work: saves the settings, moves the queued files into a changed outgoing folder
    // and reports what stayed; then the dialog ends with `result`.
    void Close(INT_PTR result);

    FilesPage filesPage;
    SettingsPage settingsPage;
    DialogPage aboutPage;
    CTabCtrl tabControl;
    CImageList tabImages;
    CFont boldFont;
    CFont titleFont;
    CFont subtitleFont;
    int currentTab = FilesTab;
    std::string startFolder;
};
