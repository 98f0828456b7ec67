#include "framework/Dialog.h"

#include "framework/WinApp.h"

CDialog::CDialog(UINT templateId, HWND parent) : m_nIDTemplate(templateId), m_hWndParent(parent) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr && !m_bModal) {
        HWND window = m_hWnd;
        Detach();
        ::DestroyWindow(window);
    }
}

void CDialog::DestroyWindow() {
    if (m_hWnd != nullptr && !m_bModal) {
        ::DestroyWindow(m_hWnd);
    }
}

void CDialog::Detach() {
    ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    m_hWnd = nullptr;
}

INT_PTR CDialog::DoModal() {
    m_bModal = true;
    INT_PTR result = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), m_hWndParent,
                                       DialogProc, reinterpret_cast<LPARAM>(this));
    m_bModal = false;
    return result;
}

bool CDialog::Create() {
    m_bModal = false;
    return ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), m_hWndParent,
                                DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_bModal) {
        ::EndDialog(m_hWnd, result);
    } else {
        ::DestroyWindow(m_hWnd);
    }
}

void CDialog::SetProgramIcon(UINT iconId) const {
    HINSTANCE module = AfxGetResourceHandle();
    SetIcon(::LoadIconA(module, MAKEINTRESOURCEA(iconId)), true);
    SetIcon(static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(iconId), IMAGE_ICON, 16, 16, LR_SHARED)),
            false);
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

bool CDialog::OnCommand(WORD, WORD) {
    return false;
}

bool CDialog::OnNotify(const NMHDR&, LRESULT&) {
    return false;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) {
    return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
    }
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (dialog == nullptr) {
        return FALSE;
    }
    // Nothing may leave a window procedure by an exception.
    try {
        return dialog->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR handled = FALSE;
    if (OnMessage(message, wParam, lParam, handled)) {
        return handled;
    }
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return HandleCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
        return HandleNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    case WM_NCDESTROY:
        ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        m_hWnd = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CDialog::HandleCommand(WORD id, WORD code) {
    if (OnCommand(id, code)) {
        return TRUE;
    }
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

INT_PTR CDialog::HandleNotify(const NMHDR& header) {
    LRESULT result = 0;
    if (!OnNotify(header, result)) {
        return FALSE;
    }
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
