// The Image Library dialog from its template; what its controls do is the handler's
// business.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/DialogsWin32.h"

namespace platform {

namespace {

// Posted by Wake; wParam carries the dialog's serial number.
constexpr UINT kWakeMessage = WM_APP + 1;

constexpr DWORD kFileNameBufferSize = 10000;

// Each opening of the dialog gets a number, so a wake-up meant for an earlier one is
// dropped.
LONG gDialogSerial = 0;

class ImageLibraryDialogWin32 : public ImageLibraryDialogView {
public:
    explicit ImageLibraryDialogWin32(ImageLibraryDialogHandler& handler)
        : handler_(handler), serial_(static_cast<unsigned>(InterlockedIncrement(&gDialogSerial)))
    {
    }

    int Run(HWND owner)
    {
        return static_cast<int>(DialogBoxParamA(win32::ProgramModule(),
                                                MAKEINTRESOURCEA(win32::kImageLibraryDialogTemplate), owner,
                                                Procedure, reinterpret_cast<LPARAM>(this)));
    }

    void InsertItem(int index, const std::string& text, int image) override
    {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = index;
        item.pszText = const_cast<char*>(text.c_str());
        item.iImage = image;
        ++quietList_;
        SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        --quietList_;
    }

    void DeleteItem(int index) override
    {
        ++quietList_;
        SendMessageA(list_, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
        --quietList_;
    }

    void DeleteAllItems() override
    {
        ++quietList_;
        SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
        --quietList_;
    }

    bool IsItemSelected(int index) const override
    {
        return (SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) & LVIS_SELECTED) != 0;
    }

    bool ChooseFiles(std::vector<std::string>* paths) override;
    bool ChooseFolder(std::string* path) override;

    void ShowMessageDialog(const char* title, const char* text) override
    {
        // The collection's own message has its template; any other goes into a message box.
        if (std::strcmp(text, "Your collection is too long.\nPlease, decrease it.") == 0 &&
            win32::ShowMessageDialog(win32::kTooLongMessageTemplate, dialog_) != -1)
            return;
        MessageBoxA(dialog_, text, title, MB_OK);
    }

    void StartTimer(int id, unsigned periodMs) override { SetTimer(dialog_, static_cast<UINT_PTR>(id), periodMs, nullptr); }

    void InvalidatePreview() override
    {
        if (HWND preview = GetDlgItem(dialog_, kPreviewArea))
            InvalidateRect(preview, nullptr, FALSE);
    }

    void Wake() override { PostMessageA(dialog_, kWakeMessage, serial_, 0); }

    void EndDialog(int result) override { ::EndDialog(dialog_, result); }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void Initialise(HWND dialog);
    void OnListNotice(const NMHDR* notice);
    void PaintPreview(const DRAWITEMSTRUCT* draw);

    ImageLibraryDialogHandler& handler_;
    const unsigned serial_;
    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
    int quietList_ = 0;
};

HIMAGELIST NewImageList(int size, int folderBitmap, int fileBitmap)
{
    // The icons are painted on white, which the mask turns into the list's own background.
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 2, 0);
    if (images == nullptr)
        return nullptr;
    for (int id : {folderBitmap, fileBitmap}) {
        HBITMAP bitmap = LoadBitmapA(win32::ProgramModule(), MAKEINTRESOURCEA(id));
        if (bitmap != nullptr) {
            ImageList_AddMasked(images, bitmap, RGB(255, 255, 255));
            DeleteObject(bitmap);
        }
    }
    return images;
}

void ImageLibraryDialogWin32::Initialise(HWND dialog)
{
    dialog_ = dialog;
    list_ = GetDlgItem(dialog, kPictureList);
    // The list view owns its image lists and destroys them with itself.
    SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(NewImageList(32, kFolderIconLarge, kFileIconLarge)));
    SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(NewImageList(16, kFolderIconSmall, kFileIconSmall)));
    handler_.OnInit(*this);
    // Not the list: focusing it would focus an item and start a preview by itself.
    SetFocus(GetDlgItem(dialog, kAddFileButton));
}

void ImageLibraryDialogWin32::OnListNotice(const NMHDR* notice)
{
    if (notice->code != LVN_ITEMCHANGED || quietList_ > 0)
        return;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(notice);
    if (change->iItem < 0 || ((change->uOldState ^ change->uNewState) & LVIS_FOCUSED) == 0)
        return;
    handler_.OnItemFocusChanged(change->iItem, (change->uNewState & LVIS_FOCUSED) != 0);
}

void ImageLibraryDialogWin32::PaintPreview(const DRAWITEMSTRUCT* draw)
{
    const RECT area = draw->rcItem;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    PreviewFrame frame;
    handler_.OnPaintPreview(width, height, &frame);
    HDC context = draw->hDC;

    const COLORREF background = RGB(frame.background.red, frame.background.green, frame.background.blue);
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(context, &area, brush);
    DeleteObject(brush);
    const std::size_t pixelCount = static_cast<std::size_t>(frame.picture.width) * frame.picture.height;
    if (frame.hasPicture && frame.picture.width > 0 && frame.picture.height > 0 &&
        frame.picture.pixels.size() >= pixelCount * 4) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = frame.picture.width;
        info.bmiHeader.biHeight = -frame.picture.height;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(context, area.left + frame.pictureX, area.top + frame.pictureY,
                          static_cast<DWORD>(frame.picture.width), static_cast<DWORD>(frame.picture.height), 0, 0, 0,
                          static_cast<UINT>(frame.picture.height), frame.picture.pixels.data(), &info,
                          DIB_RGB_COLORS);
    } else if (!frame.text.empty() && frame.textHeight > 0) {
        HFONT font = CreateFontA(frame.textHeight, 0, 0, 0, FW_THIN, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, nullptr);
        HGDIOBJ previous = SelectObject(context, font);
        SetBkColor(context, background);
        SetTextColor(context, RGB(frame.textColour.red, frame.textColour.green, frame.textColour.blue));
        RECT textArea = area;
        DrawTextExA(context, const_cast<char*>(frame.text.c_str()), -1, &textArea,
                    DT_SINGLELINE | DT_VCENTER | DT_CENTER, nullptr);
        SelectObject(context, previous);
        DeleteObject(font);
    }
}

INT_PTR CALLBACK ImageLibraryDialogWin32::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<ImageLibraryDialogWin32*>(lParam)->Initialise(dialog);
        return FALSE;
    }
    auto* view = reinterpret_cast<ImageLibraryDialogWin32*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (view == nullptr)
        return FALSE;
    switch (message) {
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlID != static_cast<UINT>(kPreviewArea))
            return FALSE;
        view->PaintPreview(draw);
        return TRUE;
    }
    case WM_TIMER:
        view->handler_.OnTimer(static_cast<int>(wParam));
        return TRUE;
    case kWakeMessage:
        if (wParam == view->serial_)
            view->handler_.OnWake();
        return TRUE;
    case WM_CLOSE:
        view->handler_.OnClose();
        return TRUE;
    case WM_NOTIFY: {
        const auto* notice = reinterpret_cast<const NMHDR*>(lParam);
        if (notice->idFrom == static_cast<UINT_PTR>(kPictureList))
            view->OnListNotice(notice);
        return TRUE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (HIWORD(wParam) != 0 || id < kAddFolderButton || id > kAcceptButton)
            return FALSE;
        view->handler_.OnCommand(id);
        return TRUE;
    }
    case WM_DESTROY:
        KillTimer(dialog, 0);
        view->handler_.OnDestroy();
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

bool ImageLibraryDialogWin32::ChooseFiles(std::vector<std::string>* paths)
{
    paths->clear();
    std::vector<char> names(kFileNameBufferSize, '\0');
    static const char kFilter[] = "Pictures (BMP;GIF;JPEG;JPG;PNG)\0*.bmp;*.gif;*.jpeg;*.jpg;*.png\0";
    OPENFILENAMEA chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = dialog_;
    chooser.lpstrFilter = kFilter;
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = names.data();
    chooser.nMaxFile = kFileNameBufferSize;
    chooser.lpstrTitle = "Add file:";
    chooser.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&chooser))
        return false;
    // One file comes as its whole path; several as the folder, then each name, each
    // ended by a zero, the last by two.
    const std::size_t first = chooser.nFileOffset;
    if (first == 0 || first >= names.size())
        return false;
    std::string folder(names.data(), first - 1);
    if (names[first - 1] != '\0')
        folder.push_back(names[first - 1]);
    if (folder.empty() || folder.back() != '\\')
        folder.push_back('\\');
    for (std::size_t at = first; at < names.size() && names[at] != '\0';) {
        const std::size_t length = std::strlen(names.data() + at);
        paths->push_back(folder + std::string(names.data() + at, length));
        at += length + 1;
    }
    return !paths->empty();
}

bool ImageLibraryDialogWin32::ChooseFolder(std::string* path)
{
    // The browser's newer look needs COM in this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    char buffer[MAX_PATH] = {};
    BROWSEINFOA browse = {};
    browse.hwndOwner = dialog_;
    browse.pszDisplayName = buffer;
    browse.lpszTitle = "Add folder:";
    browse.ulFlags = BIF_USENEWUI | BIF_BROWSEINCLUDEFILES;
    bool chosen = false;
    if (PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&browse)) {
        // Items that are no place on a disk (the desktop's virtual folders) give no path.
        chosen = SHGetPathFromIDListA(item, buffer) != FALSE && buffer[0] != '\0';
        CoTaskMemFree(item);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    if (chosen)
        *path = buffer;
    return chosen;
}

}  // namespace

namespace win32 {

int RunImageLibraryDialog(HWND owner, ImageLibraryDialogHandler& handler)
{
    ImageLibraryDialogWin32 dialog(handler);
    return dialog.Run(owner);
}

}  // namespace win32

}  // namespace platform
