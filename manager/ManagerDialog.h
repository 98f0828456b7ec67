// The manager's one dialog: three pages on a tab control. Files lists and edits the outgoing
// folder, Settings edits the transfer settings, About tells what the program is.
#pragma once

#include "framework/Dialog.h"
#include "manager/ManagerUi.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

class ManagerDialog : public CDialog {
public:
    enum Page { FilesPage = 0, SettingsPage = 1, AboutPage = 2 };

    explicit ManagerDialog(ManagerUi& ui, HWND parent = nullptr);

    int CurrentPage() const { return currentPage; }

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
    // Main dialog
    void OnTabChanged(LRESULT& result);
    void ShowPage(int page, bool show);
    void ShowFilesPage(bool show);
    void ShowSettingsPage(bool show);
    void ShowAboutPage(bool show);
    void ShowControls(const int* ids, size_t count, bool show) const;
    void CreateImageLists();
    void InsertTabs();
    void SetFonts();
    void LoadSettings();
    void SaveSettings();
    // The closing work: saves the settings, moves the listed files into a changed outgoing folder
    // and reports what stayed; then the dialog ends with `result`.
    void Close(INT_PTR result);

    // Files page
    void InsertColumns();
    void FillFileList();
    void AppendRow(const std::string& name, std::uint64_t size, const FILETIME& lastWrite);
    void AddFiles();
    // False when the outgoing folder takes no file at all; any other failure has shown its message.
    bool AddFile(const std::string& path);
    bool IsListed(const std::string& name) const;
    // The message that refuses a chosen file by its name alone; nothing when the name may be queued.
    std::optional<std::string> NameRefusal(const std::string& name) const;
    void RemoveFile();
    int SelectedRow() const;
    void SelectFirstRow();
    void RelocateListedFiles();

    // Settings page
    void ApplySettingsToControls();
    void BrowseOutgoingFolder();
    void BrowseIncomingFolder();
    void BrowseFolder(CWnd& edit, const char* title);
    void OnCompressionClicked();
    DWORD ReadPolicy(int overwriteId, int doNothingId) const;
    std::string AcceptFolder(CWnd& edit, const std::string& defaultFolder, const char* message);
    // False, with a message, when both folders are one; both edits then show the start values.
    bool AreFoldersApart(const std::string& outgoing, const std::string& incoming);
    DWORD ReadArchiver() const;

    ManagerUi& ui;
    CWnd incomingFolderEdit;
    CWnd outgoingFolderEdit;
    CListCtrl fileList;
    CTabCtrl tabControl;
    HICON programIcon;
    CImageList tabImages;
    CImageList fileImages;
    CFont boldFont;
    CFont titleFont;
    CFont subtitleFont;
    int currentPage = FilesPage;
    std::string startFolder;
    std::string outgoingFolder;
    std::string incomingFolder;
    DWORD pcToHandheldPolicy;
    DWORD handheldToPcPolicy;
    DWORD archiver;
    DWORD columnWidths[4];
};
