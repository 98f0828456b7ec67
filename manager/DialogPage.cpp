#include "manager/DialogPage.h"

#include "framework/WinApp.h"

void DialogPage::Show(bool show) const {
    for (size_t i = 0; i < controlCount; ++i) {
        CWnd(dialog.GetDlgItem(controls[i])).ShowWindow(show);
    }
}

bool DialogPage::OnClicked(WORD) {
    return false;
}

namespace {

CBitmap LoadBitmapResource(int id) {
    return CBitmap(static_cast<HBITMAP>(
        LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

} // namespace

CImageList CreateStripImageList(int width, int height, int imagesId, int maskId) {
    CImageList list;
    list.Create(width, height, ILC_COLORDDB | ILC_MASK, 0, 1);
    CBitmap images = LoadBitmapResource(imagesId);
    CBitmap mask = LoadBitmapResource(maskId);
    list.Add(images.get(), mask.get());
    return list;
}
