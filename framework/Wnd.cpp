#include "framework/Wnd.h"

#include <vector>

std::string CWnd::GetWindowText() const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(m_hWnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

int CListCtrl::InsertColumn(int column, const char* heading, int width) const {
    LVCOLUMNA info = {};
    info.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    info.fmt = LVCFMT_LEFT;
    info.cx = width;
    info.pszText = const_cast<char*>(heading);
    info.iSubItem = column;
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info)));
}

int CListCtrl::GetColumnWidth(int column) const {
    return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, column));
}

int CListCtrl::GetItemCount() const {
    return static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
}

int CListCtrl::InsertItem(int item, const std::string& text, int image) const {
    LVITEMA info = {};
    info.mask = LVIF_TEXT | LVIF_IMAGE;
    info.iItem = item;
    info.pszText = const_cast<char*>(text.c_str());
    info.iImage = image;
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&info)));
}

bool CListCtrl::SetItemText(int item, int subItem, const std::string& text) const {
    LVITEMA info = {};
    info.iSubItem = subItem;
    info.pszText = const_cast<char*>(text.c_str());
    return SendMessage(LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

std::string CListCtrl::GetItemText(int item, int subItem) const {
    // The list copies at most size - 1 characters: grow the buffer until the text fits with room.
    for (size_t size = 128;; size *= 2) {
        std::vector<char> buffer(size, '\0');
        LVITEMA info = {};
        info.iSubItem = subItem;
        info.pszText = buffer.data();
        info.cchTextMax = static_cast<int>(size);
        size_t length =
            static_cast<size_t>(SendMessage(LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&info)));
        if (length + 1 < size || size >= 65536) {
            return std::string(buffer.data(), length < size ? length : size - 1);
        }
    }
}

bool CListCtrl::DeleteItem(int item) const {
    return SendMessage(LVM_DELETEITEM, item) != FALSE;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, item, mask));
}

void CListCtrl::SetItemState(int item, UINT state, UINT mask) const {
    LVITEMA info = {};
    info.state = state;
    info.stateMask = mask;
    SendMessage(LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&info));
}

void CListCtrl::SetImageList(HIMAGELIST list, int kind) const {
    SendMessage(LVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(list));
}

int CTabCtrl::InsertItem(int position, const char* text, int image) const {
    TCITEMA info = {};
    info.mask = TCIF_TEXT | TCIF_IMAGE;
    info.pszText = const_cast<char*>(text);
    info.iImage = image;
    return static_cast<int>(SendMessage(TCM_INSERTITEMA, position, reinterpret_cast<LPARAM>(&info)));
}

int CTabCtrl::GetCurSel() const {
    return static_cast<int>(SendMessage(TCM_GETCURSEL));
}

void CTabCtrl::SetImageList(HIMAGELIST list) const {
    SendMessage(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
}

CImageList& CImageList::operator=(CImageList&& other) noexcept {
    if (this != &other) {
        DeleteImageList();
        m_hImageList = std::exchange(other.m_hImageList, nullptr);
    }
    return *this;
}

bool CImageList::Create(int width, int height, UINT flags, int initial, int grow) {
    DeleteImageList();
    m_hImageList = ImageList_Create(width, height, flags, initial, grow);
    return m_hImageList != nullptr;
}

void CImageList::DeleteImageList() {
    if (m_hImageList != nullptr) {
        ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
    }
}

CFont CreatePointFont(const char* face, int points, bool bold, bool italic) {
    HDC screen = GetDC(nullptr);
    LOGFONTA font = {};
    font.lfHeight = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return CFont(CreateFontIndirectA(&font));
}
