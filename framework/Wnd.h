// Windows and controls of our small MFC-style framework: thin wrappers of a window handle that
// the dialog binds to its controls by id, and owners of the GDI objects and image lists a dialog
// creates.
#pragma once

#include "win/Handles.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>

// A window this object does not own: a dialog or one of its controls.
class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND window) : m_hWnd(window) {}
    virtual ~CWnd() = default;

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    // Binds `control` to this dialog's control `id`.
    void BindControl(CWnd& control, int id) const { control.m_hWnd = GetDlgItem(id); }
    bool IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }
    void CheckDlgButton(int id, bool checked) const {
        ::CheckDlgButton(m_hWnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }

    void ShowWindow(bool show) const { ::ShowWindow(m_hWnd, show ? SW_SHOW : SW_HIDE); }
    void EnableWindow(bool enable) const { ::EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    std::string GetWindowText() const;
    void SetWindowText(const std::string& text) const { ::SetWindowTextA(m_hWnd, text.c_str()); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT font) const { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
    // The icon of the title bar and task switcher (`big`) or of the caption's corner.
    void SetIcon(HICON icon, bool big) const {
        SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }

    HWND m_hWnd = nullptr;
};

// A list view in report view.
class CListCtrl : public CWnd {
public:
    int InsertColumn(int column, const char* heading, int width) const;
    int GetColumnWidth(int column) const;
    int GetItemCount() const;
    // Appends or inserts a row with its first cell and image; the new row's index, or -1.
    int InsertItem(int item, const std::string& text, int image) const;
    bool SetItemText(int item, int subItem, const std::string& text) const;
    // The whole text of a cell, however long.
    std::string GetItemText(int item, int subItem) const;
    bool DeleteItem(int item) const;
    UINT GetItemState(int item, UINT mask) const;
    void SetItemState(int item, UINT state, UINT mask) const;
    void SetImageList(HIMAGELIST list, int kind) const;
};

// A tab control.
class CTabCtrl : public CWnd {
public:
    int InsertItem(int position, const char* text, int image) const;
    int GetCurSel() const;
    void SetImageList(HIMAGELIST list) const;
};

// Owns one GDI object (font, bitmap): deleted with its owner.
template <class Handle> using CGdiObject = win::UniqueHandle<win::GdiObjectTraits<Handle>>;

using CFont = CGdiObject<HFONT>;
using CBitmap = CGdiObject<HBITMAP>;

// A font of `points` points at the screen's resolution, in the given face; weight 700 when bold.
CFont CreatePointFont(const char* face, int points, bool bold = false, bool italic = false);

// Owns an image list.
class CImageList {
public:
    CImageList() = default;
    CImageList(CImageList&& other) noexcept : m_hImageList(std::exchange(other.m_hImageList, nullptr)) {}
    CImageList& operator=(CImageList&& other) noexcept;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    ~CImageList() { DeleteImageList(); }

    bool Create(int width, int height, UINT flags, int initial, int grow);
    // Adds the images of a strip with its mask; the index of the first, or -1.
    int Add(HBITMAP images, HBITMAP mask) const { return ImageList_Add(m_hImageList, images, mask); }
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    void DeleteImageList();

private:
    HIMAGELIST m_hImageList = nullptr;
};
