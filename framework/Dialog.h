// The dialog of our small MFC-style framework: a dialog built on a template of the resource
// module, run modally by a program or created modeless (tests drive it that way).
#pragma once

#include "framework/Wnd.h"

#include <windows.h>

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until it ends; the result that ended it, or -1 when it could not be created.
    INT_PTR DoModal();
    // Creates the same dialog without a modal loop; it ends by being destroyed. False on failure.
    bool Create();
    // Ends the dialog: a modal one returns `result` from DoModal, a modeless one is destroyed.
    void EndDialog(INT_PTR result);
    // Destroys a modeless dialog's window now, while the whole object lives: OnDestroy runs.
    void DestroyWindow();
    bool IsModal() const { return m_bModal; }

protected:
    // Binds the members to their controls (DoDataExchange); derived classes then start up.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange() {}
    // The dialog's command table: handle a command by control id and return true, or return false.
    virtual bool OnCommand(WORD id, WORD code);
    // A notification from a control; `result` is its answer.
    virtual bool OnNotify(const NMHDR& header, LRESULT& result);
    // Done / Enter and Escape / the close box.
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // The window is being destroyed; every control still exists.
    virtual void OnDestroy() {}
    // Sees every message before the handlers above: handle it, set `result` and return true, or
    // return false to let the dialog go on as usual.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // Gives the dialog the program's icon `iconId` of the resource module, big and small.
    void SetProgramIcon(UINT iconId) const;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleCommand(WORD id, WORD code);
    INT_PTR HandleNotify(const NMHDR& header);

    // Cuts the window off from this object, so that no message reaches a handler of it any more.
    void Detach();

    UINT m_nIDTemplate;
    HWND m_hWndParent;
    bool m_bModal = false;
};

// A dialog of type Dialog that destroys its window before any part of the object is destroyed, so
// that every handler of Dialog (OnDestroy among them) runs on its whole object. A plain CDialog
// that is destroyed with its window still open only detaches and destroys the window: by then the
// derived object is gone and none of its handlers may run.
template <class Dialog> class CModeless final : public Dialog {
public:
    using Dialog::Dialog;
    ~CModeless() override { this->DestroyWindow(); }
};
