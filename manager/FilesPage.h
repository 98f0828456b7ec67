// The Files page of the manager's dialog: the outgoing queue shown as a list, with Add and Remove.
#pragma once

#include "framework/Wnd.h"
#include "manager/DialogPage.h"
#include "manager/ManagerUi.h"
#include "manager/OutgoingQueue.h"
#include "settings/Settings.h"

#include <string>

class FilesPage : public DialogPage {
public:
    explicit FilesPage(ManagerUi& userInterface);

    void Bind(HWND window) override;
    bool OnClicked(WORD id) override;
    // Sets up the list's images and columns (`values` holds every width) and shows the queue of the
    // outgoing folder.
    void Open(const std::string& outgoingFolder, const settings::Store& values);
    // The widths the user left the list's columns at.
    void CollectColumnWidths(settings::Store& values) const;
    // Moves the queued files into a changed outgoing folder, and names those that stayed.
    void MoveQueueInto(const std::string& newFolder);
    // Lets go of the list's images before the window is destroyed.
    void Close();

private:
    void AppendRow(const OutgoingQueue::File& file);
    void AddFiles();
    void RemoveFile();
    int SelectedRow() const;
    void SelectFirstRow();

    ManagerUi& ui;
    CListCtrl fileList;
    CImageList fileImages;
    OutgoingQueue queue;
};
