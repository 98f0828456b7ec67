// A page of the manager's tab control: a set of the dialog's own controls that show and hide
// together, with the handlers of its buttons.
#pragma once

#include "framework/Wnd.h"

#include <windows.h>

#include <cstddef>

class DialogPage {
public:
    template <size_t N> explicit DialogPage(const int (&ids)[N]) : controls(ids), controlCount(N) {}
    virtual ~DialogPage() = default;
    DialogPage(const DialogPage&) = delete;
    DialogPage& operator=(const DialogPage&) = delete;

    // Takes the page's controls from the dialog's window, once it exists.
    virtual void Bind(HWND window) { dialog.m_hWnd = window; }
    void Show(bool show) const;
    // Handles a click on one of the page's buttons; false for any other control.
    virtual bool OnClicked(WORD id);

protected:
    void Enable(int id, bool enable) const { CWnd(dialog.GetDlgItem(id)).EnableWindow(enable); }

    CWnd dialog;

private:
    const int* controls;
    size_t controlCount;
};

// An image list of a strip bitmap of the program's resources, with its mask.
CImageList CreateStripImageList(int width, int height, int imagesId, int maskId);
