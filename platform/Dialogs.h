#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/BitmapResources.h"
#include "platform/SaverWindow.h"

// The settings dialog and the Image Library dialog as windows. The program's controllers
// decide what every button and event does; a view shows the controls, hands the user's
// actions to its handler and does what the handler asks. Views and handlers live on the
// thread that runs the dialog, except ImageLibraryDialogView::Wake.
namespace platform {

// Control ids of the settings dialog.
enum SettingsDialogControl : int {
    kConfirmSettingsButton = 1,  // also the Enter key
    kResetToDefaultButton = 2,   // also the Escape key
    kShowFpsCheckBox = 117,
    kEnableVSyncCheckBox = 118,
    kEditImageLibraryButton = 1007,
};

// Control ids of the Image Library dialog.
enum ImageLibraryDialogControl : int {
    kPictureList = 1006,
    kAddFolderButton = 1007,
    kAddFileButton = 1008,
    kRemoveItemButton = 1009,
    kAcceptButton = 1010,
    kPreviewArea = 1011,
};

// Resources the dialogs show.
constexpr int kSettingsDialogIcon = 102;
constexpr int kAboutBitmap = 116;
constexpr int kFileIconLarge = 138;
constexpr int kFolderIconLarge = 139;
constexpr int kFileIconSmall = 140;
constexpr int kFolderIconSmall = 141;

// Image index of a list item.
constexpr int kFolderImage = 0;
constexpr int kFileImage = 1;

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// One paint of the preview area: a background, then either a picture already stretched to
// its place or a line of text centred in the area.
struct PreviewFrame {
    Rgb background;
    bool hasPicture = false;
    int pictureX = 0;  // the picture's top-left corner inside the area
    int pictureY = 0;
    BgrxBitmap picture;
    std::string text;
    int textHeight = 0;  // pixels
    Rgb textColour;
};

class ImageLibraryDialogHandler;

class SettingsDialogView {
public:
    virtual void SetWindowIcon(int iconId) = 0;
    virtual void SetCheckBox(int controlId, bool checked) = 0;
    virtual bool IsCheckBoxChecked(int controlId) const = 0;
    // Hands the handler its OnClose at once, as the close box does.
    virtual void SendClose() = 0;
    // Ends the dialog; RunSettingsDialogWindow returns result.
    virtual void EndDialog(int result) = 0;
    // Runs the Image Library dialog modally over this one; its result, or -1 when it
    // cannot open.
    virtual int RunImageLibraryDialog(ImageLibraryDialogHandler& handler) = 0;

protected:
    ~SettingsDialogView() = default;
};

class SettingsDialogHandler {
public:
    // The controls exist; the dialog is not shown yet.
    virtual void OnInit(SettingsDialogView& view) = 0;
    virtual void OnShow() = 0;
    // The close box.
    virtual void OnClose() = 0;
    // A button was pressed (a check box after it changed its state), or Enter (1) or
    // Escape (2).
    virtual void OnCommand(int controlId) = 0;

protected:
    ~SettingsDialogHandler() = default;
};

class ImageLibraryDialogView {
public:
    // The list shows items in the order of their indices; image is kFolderImage or
    // kFileImage.
    virtual void InsertItem(int index, const std::string& text, int image) = 0;
    virtual void DeleteItem(int index) = 0;
    virtual void DeleteAllItems() = 0;
    virtual bool IsItemSelected(int index) const = 0;

    // File chooser ("Add file:", several pictures at once): the chosen full paths; false
    // when cancelled.
    virtual bool ChooseFiles(std::vector<std::string>* paths) = 0;
    // Folder chooser ("Add folder:"): the chosen folder; false when cancelled.
    virtual bool ChooseFolder(std::string* path) = 0;
    // A modal message with an "OK" button over this dialog.
    virtual void ShowMessageDialog(const char* title, const char* text) = 0;

    // Calls the handler's OnTimer(id) every periodMs while the dialog exists.
    virtual void StartTimer(int id, unsigned periodMs) = 0;
    // Repaints the preview area soon, through the handler's OnPaintPreview.
    virtual void InvalidatePreview() = 0;
    // Any thread: makes the dialog's thread call the handler's OnWake soon. Not called
    // after the handler's OnDestroy has returned.
    virtual void Wake() = 0;
    // Ends the dialog; RunImageLibraryDialog returns result.
    virtual void EndDialog(int result) = 0;

protected:
    ~ImageLibraryDialogView() = default;
};

class ImageLibraryDialogHandler {
public:
    // The controls exist; the dialog is not shown yet.
    virtual void OnInit(ImageLibraryDialogView& view) = 0;
    // Fills frame for a preview area of width x height pixels.
    virtual void OnPaintPreview(int width, int height, PreviewFrame* frame) = 0;
    virtual void OnTimer(int id) = 0;
    // The close box.
    virtual void OnClose() = 0;
    // The list's focused item changed: first the item that lost the focus, then the one
    // that gained it.
    virtual void OnItemFocusChanged(int index, bool focused) = 0;
    virtual void OnCommand(int controlId) = 0;
    virtual void OnWake() = 0;
    // The window goes away; the last call, made however the dialog ended.
    virtual void OnDestroy() = 0;

protected:
    ~ImageLibraryDialogHandler() = default;
};

// Runs the settings dialog modally, transient for parent when it names a window (0:
// none). Returns the value passed to EndDialog, or -1 when no dialog can open (no
// display).
int RunSettingsDialogWindow(WindowHandle parent, SettingsDialogHandler& handler);

}  // namespace platform
