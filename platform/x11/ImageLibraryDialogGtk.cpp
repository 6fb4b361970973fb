// The Image Library dialog as a GTK window; what its controls do is the handler's
// business.
#include <algorithm>
#include <atomic>
#include <string>
#include <utility>

#include "platform/x11/DialogsGtk.h"

namespace platform {

namespace {

using gtk::kDialogUnitX;
using gtk::kDialogUnitY;
using gtk::ControlId;
using gtk::SetControlId;

enum ListColumn { kIconColumn, kTextColumn, kColumnCount };

constexpr int kLeftButtonWidth = 54;  // dialog units

class ImageLibraryDialogGtk;

// The open dialog and its serial number, touched on the GTK thread only: a wake-up that
// arrives after its dialog has gone finds another serial and is dropped.
ImageLibraryDialogGtk* gOpenDialog = nullptr;
std::atomic<unsigned> gDialogSerial{0};

// The choosers open where the user last chose something.
std::string gLastFolder;

void RememberFolder(GtkWidget* chooser)
{
    if (char* folder = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(chooser))) {
        gLastFolder = folder;
        g_free(folder);
    }
}

class ImageLibraryDialogGtk : public ImageLibraryDialogView {
public:
    explicit ImageLibraryDialogGtk(ImageLibraryDialogHandler& handler) : handler_(handler) {}

    int Run(GtkWindow* owner);

    void InsertItem(int index, const std::string& text, int image) override
    {
        // The list shows a path in any encoding readably; the handler keeps the path itself.
        gchar* shown = g_filename_display_name(text.c_str());
        GtkTreeIter iter;
        gtk_list_store_insert_with_values(store_, &iter, index, kIconColumn,
                                          image == kFolderImage ? folderIcon_ : fileIcon_, kTextColumn, shown, -1);
        g_free(shown);
        if (focused_ >= index)
            ++focused_;
    }

    void DeleteItem(int index) override
    {
        GtkTreeIter iter;
        if (!gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(store_), &iter, nullptr, index))
            return;
        ++quietCursor_;
        gtk_list_store_remove(store_, &iter);
        --quietCursor_;
        if (focused_ == index)
            focused_ = CursorIndex();  // the list moved the cursor on by itself
        else if (focused_ > index)
            --focused_;
    }

    void DeleteAllItems() override
    {
        ++quietCursor_;
        gtk_list_store_clear(store_);
        --quietCursor_;
        focused_ = -1;
    }

    bool IsItemSelected(int index) const override
    {
        GtkTreePath* path = gtk_tree_path_new_from_indices(index, -1);
        const bool selected = gtk_tree_selection_path_is_selected(
            gtk_tree_view_get_selection(GTK_TREE_VIEW(list_)), path);
        gtk_tree_path_free(path);
        return selected;
    }

    bool ChooseFiles(std::vector<std::string>* paths) override;
    bool ChooseFolder(std::string* path) override;
    void ShowMessageDialog(const char* title, const char* text) override;

    void StartTimer(int id, unsigned periodMs) override
    {
        timerId_ = id;
        if (timerSource_ == 0)
            timerSource_ = g_timeout_add(periodMs, OnTimer, this);
    }

    void InvalidatePreview() override
    {
        if (preview_ != nullptr)
            gtk_widget_queue_draw(preview_);
    }

    void Wake() override { g_idle_add(OnWake, GUINT_TO_POINTER(serial_)); }

    void EndDialog(int result) override
    {
        result_ = result;
        ended_ = true;
        if (loop_ != nullptr)
            g_main_loop_quit(loop_);
    }

private:
    void Build(GtkWindow* owner);
    GtkWidget* Button(int controlId, const char* text, int widthUnits);
    int CursorIndex() const;
    GtkWidget* NewChooser(const char* title, GtkFileChooserAction action, const char* acceptText);

    static void OnClicked(GtkButton* button, gpointer self);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
    static void OnDestroyed(GtkWidget*, gpointer self);
    static void OnCursorChanged(GtkTreeView*, gpointer self);
    static gboolean OnDraw(GtkWidget* widget, cairo_t* cairo, gpointer self);
    static gboolean OnTimer(gpointer self);
    static gboolean OnWake(gpointer serial);

    ImageLibraryDialogHandler& handler_;
    unsigned serial_ = ++gDialogSerial;
    GtkWidget* window_ = nullptr;
    GtkWidget* list_ = nullptr;
    GtkListStore* store_ = nullptr;
    GtkWidget* preview_ = nullptr;
    GtkSizeGroup* leftButtons_ = gtk_size_group_new(GTK_SIZE_GROUP_HORIZONTAL);  // one width for the three
    GdkPixbuf* folderIcon_ = nullptr;
    GdkPixbuf* fileIcon_ = nullptr;
    int focused_ = -1;
    int quietCursor_ = 0;
    int timerId_ = 0;
    guint timerSource_ = 0;
    GMainLoop* loop_ = nullptr;
    bool ended_ = false;
    bool destroyed_ = false;  // the window went away under the dialog (or at its end)
    int result_ = 0;
};

void ImageLibraryDialogGtk::OnClicked(GtkButton* button, gpointer self)
{
    static_cast<ImageLibraryDialogGtk*>(self)->handler_.OnCommand(ControlId(button));
}

gboolean ImageLibraryDialogGtk::OnDelete(GtkWidget*, GdkEvent*, gpointer self)
{
    static_cast<ImageLibraryDialogGtk*>(self)->handler_.OnClose();
    return TRUE;
}

void ImageLibraryDialogGtk::OnDestroyed(GtkWidget*, gpointer self)
{
    // Destroyed from outside (its X window went away): it ends as through the close box.
    auto* dialog = static_cast<ImageLibraryDialogGtk*>(self);
    if (dialog->destroyed_)
        return;
    dialog->destroyed_ = true;
    if (!dialog->ended_)
        dialog->handler_.OnClose();
    if (!dialog->ended_)
        dialog->EndDialog(0);
}

int ImageLibraryDialogGtk::CursorIndex() const
{
    GtkTreePath* path = nullptr;
    gtk_tree_view_get_cursor(GTK_TREE_VIEW(list_), &path, nullptr);
    if (path == nullptr)
        return -1;
    const int index = gtk_tree_path_get_indices(path)[0];
    gtk_tree_path_free(path);
    return index;
}

void ImageLibraryDialogGtk::OnCursorChanged(GtkTreeView*, gpointer self)
{
    auto* dialog = static_cast<ImageLibraryDialogGtk*>(self);
    const int now = dialog->CursorIndex();
    if (dialog->quietCursor_ > 0 || now == dialog->focused_)
        return;
    const int before = dialog->focused_;
    dialog->focused_ = now;
    if (before >= 0)
        dialog->handler_.OnItemFocusChanged(before, false);
    if (now >= 0)
        dialog->handler_.OnItemFocusChanged(now, true);
}

gboolean ImageLibraryDialogGtk::OnDraw(GtkWidget* widget, cairo_t* cairo, gpointer self)
{
    auto* dialog = static_cast<ImageLibraryDialogGtk*>(self);
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    PreviewFrame frame;
    dialog->handler_.OnPaintPreview(width, height, &frame);

    cairo_set_source_rgb(cairo, frame.background.red / 255.0, frame.background.green / 255.0,
                         frame.background.blue / 255.0);
    cairo_paint(cairo);
    if (frame.hasPicture && frame.picture.width > 0 && frame.picture.height > 0) {
        // Blue, green, red and an unused byte is cairo's RGB24 on a little-endian machine.
        cairo_surface_t* surface =
            cairo_image_surface_create(CAIRO_FORMAT_RGB24, frame.picture.width, frame.picture.height);
        cairo_surface_flush(surface);
        unsigned char* target = cairo_image_surface_get_data(surface);
        const bool complete = frame.picture.pixels.size() >=
                              static_cast<std::size_t>(frame.picture.width) * frame.picture.height * 4;
        if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS && target != nullptr && complete) {
            const int targetStride = cairo_image_surface_get_stride(surface);
            for (int y = 0; y < frame.picture.height; ++y) {
                const std::uint8_t* source =
                    frame.picture.pixels.data() + static_cast<std::size_t>(y) * frame.picture.width * 4;
                std::copy(source, source + static_cast<std::size_t>(frame.picture.width) * 4,
                          target + static_cast<std::size_t>(y) * targetStride);
            }
            cairo_surface_mark_dirty(surface);
            cairo_set_source_surface(cairo, surface, frame.pictureX, frame.pictureY);
            cairo_paint(cairo);
        }
        cairo_surface_destroy(surface);
    } else if (!frame.text.empty() && frame.textHeight > 0) {
        PangoLayout* layout = gtk_widget_create_pango_layout(widget, frame.text.c_str());
        PangoFontDescription* font = pango_font_description_new();
        // The height asked for is the whole cell; a font's em is about four fifths of it.
        pango_font_description_set_absolute_size(font, frame.textHeight * 0.8 * PANGO_SCALE);
        pango_font_description_set_weight(font, PANGO_WEIGHT_THIN);
        pango_layout_set_font_description(layout, font);
        pango_font_description_free(font);
        int textWidth = 0;
        int textHeight = 0;
        pango_layout_get_pixel_size(layout, &textWidth, &textHeight);
        cairo_set_source_rgb(cairo, frame.textColour.red / 255.0, frame.textColour.green / 255.0,
                             frame.textColour.blue / 255.0);
        cairo_move_to(cairo, (width - textWidth) / 2, (height - textHeight) / 2);
        pango_cairo_show_layout(cairo, layout);
        g_object_unref(layout);
    }
    return TRUE;
}

gboolean ImageLibraryDialogGtk::OnTimer(gpointer self)
{
    auto* dialog = static_cast<ImageLibraryDialogGtk*>(self);
    dialog->handler_.OnTimer(dialog->timerId_);
    return G_SOURCE_CONTINUE;
}

gboolean ImageLibraryDialogGtk::OnWake(gpointer serial)
{
    if (gOpenDialog != nullptr && gOpenDialog->serial_ == GPOINTER_TO_UINT(serial))
        gOpenDialog->handler_.OnWake();
    return G_SOURCE_REMOVE;
}

GtkWidget* ImageLibraryDialogGtk::NewChooser(const char* title, GtkFileChooserAction action, const char* acceptText)
{
    GtkWidget* chooser = gtk_file_chooser_dialog_new(title, GTK_WINDOW(window_), action, "_Cancel",
                                                     GTK_RESPONSE_CANCEL, acceptText, GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(chooser), TRUE);
    // A folder to start in, not the recent files, in which no folder can be chosen.
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser),
                                        gLastFolder.empty() ? g_get_home_dir() : gLastFolder.c_str());
    // Without a window manager the chooser opens larger than a small screen.
    gtk_widget_show(chooser);
    GdkRectangle screen{0, 0, 1024, 768};
    if (GdkMonitor* monitor = gdk_display_get_monitor_at_window(gtk_widget_get_display(chooser),
                                                                 gtk_widget_get_window(chooser)))
        gdk_monitor_get_workarea(monitor, &screen);
    const int width = std::min(800, screen.width - 40);
    const int height = std::min(600, screen.height - 40);
    gtk_window_resize(GTK_WINDOW(chooser), width, height);
    gtk_window_move(GTK_WINDOW(chooser), screen.x + (screen.width - width) / 2, screen.y + (screen.height - height) / 2);
    return chooser;
}

bool ImageLibraryDialogGtk::ChooseFiles(std::vector<std::string>* paths)
{
    GtkWidget* chooser = NewChooser("Add file:", GTK_FILE_CHOOSER_ACTION_OPEN, "_Open");
    gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(chooser), TRUE);
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, "Pictures (BMP;GIF;JPEG;JPG;PNG)");
    for (const char* pattern : {"*.[bB][mM][pP]", "*.[gG][iI][fF]", "*.[jJ][pP][eE][gG]", "*.[jJ][pP][gG]",
                                "*.[pP][nN][gG]"})
        gtk_file_filter_add_pattern(filter, pattern);
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), filter);

    paths->clear();
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        GSList* names = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(chooser));
        for (GSList* name = names; name != nullptr; name = name->next) {
            paths->emplace_back(static_cast<const char*>(name->data));
            g_free(name->data);
        }
        g_slist_free(names);
        RememberFolder(chooser);
    }
    gtk_widget_destroy(chooser);
    return !paths->empty();
}

bool ImageLibraryDialogGtk::ChooseFolder(std::string* path)
{
    GtkWidget* chooser = NewChooser("Add folder:", GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Select");
    bool chosen = false;
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        if (char* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser))) {
            *path = name;
            g_free(name);
            chosen = true;
        }
        RememberFolder(chooser);
    }
    gtk_widget_destroy(chooser);
    return chosen;
}

void ImageLibraryDialogGtk::ShowMessageDialog(const char* title, const char* text)
{
    GtkWidget* message = gtk_dialog_new_with_buttons(title, GTK_WINDOW(window_),
                                                     static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL |
                                                                                 GTK_DIALOG_DESTROY_WITH_PARENT),
                                                     "OK", GTK_RESPONSE_OK, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(message), GTK_RESPONSE_OK);
    gtk_window_set_resizable(GTK_WINDOW(message), FALSE);
    gtk_window_set_position(GTK_WINDOW(message), GTK_WIN_POS_CENTER_ON_PARENT);
    GtkWidget* label = gtk_label_new(text);
    gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 60);
    gtk_widget_set_size_request(label, 102 * kDialogUnitX, -1);
    gtk_widget_set_margin_start(label, 6 * kDialogUnitX);
    gtk_widget_set_margin_end(label, 6 * kDialogUnitX);
    gtk_widget_set_margin_top(label, 6 * kDialogUnitY);
    gtk_widget_set_margin_bottom(label, 4 * kDialogUnitY);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(message))), label, TRUE, TRUE, 0);
    GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(message), GTK_RESPONSE_OK);
    gtk_widget_set_size_request(ok, 50 * kDialogUnitX, -1);
    GtkWidget* actions = gtk_widget_get_parent(ok);
    if (GTK_IS_BUTTON_BOX(actions))
        gtk_button_box_set_layout(GTK_BUTTON_BOX(actions), GTK_BUTTONBOX_CENTER);
    gtk_widget_show_all(message);
    gtk_widget_grab_focus(ok);
    gtk_dialog_run(GTK_DIALOG(message));
    gtk_widget_destroy(message);
}

GtkWidget* ImageLibraryDialogGtk::Button(int controlId, const char* text, int widthUnits)
{
    GtkWidget* button = gtk_button_new_with_label(text);
    if (widthUnits == kLeftButtonWidth)
        gtk_size_group_add_widget(leftButtons_, button);
    SetControlId(button, controlId);
    g_signal_connect(button, "clicked", G_CALLBACK(OnClicked), this);
    gtk_widget_set_size_request(button, widthUnits * kDialogUnitX, -1);
    gtk_widget_set_valign(button, GTK_ALIGN_START);
    return button;
}

GtkWidget* Caption(const char* text)
{
    GtkWidget* label = gtk_label_new(text);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    return label;
}

void ImageLibraryDialogGtk::Build(GtkWindow* owner)
{
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), "Image Library");
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
    gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
    if (owner != nullptr) {
        gtk_window_set_transient_for(GTK_WINDOW(window_), owner);
        gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER_ON_PARENT);
        if (GList* icons = gtk_window_get_icon_list(owner)) {
            gtk_window_set_icon_list(GTK_WINDOW(window_), icons);
            g_list_free(icons);
        }
    } else {
        gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
    }
    g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(window_, "destroy", G_CALLBACK(OnDestroyed), this);

    // Two columns as in the template: the list at the left; the preview with its buttons
    // and the note about folders at the right.
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_column_spacing(GTK_GRID(grid), 6 * kDialogUnitX);
    gtk_grid_set_row_spacing(GTK_GRID(grid), 2 * kDialogUnitY);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 6 * kDialogUnitX);
    gtk_container_add(GTK_CONTAINER(window_), grid);

    gtk_grid_attach(GTK_GRID(grid), Caption("Your collection for the slide show"), 0, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), Caption("Preview"), 1, 0, 1, 1);

    // The icons are painted on white; white shows the list's own background, selected too.
    for (auto [icon, id] : {std::pair<GdkPixbuf**, int>{&folderIcon_, kFolderIconSmall}, {&fileIcon_, kFileIconSmall}}) {
        if (GdkPixbuf* painted = gtk::PixbufFromBitmapResource(id)) {
            *icon = gdk_pixbuf_add_alpha(painted, TRUE, 255, 255, 255);
            g_object_unref(painted);
        }
    }
    store_ = gtk_list_store_new(kColumnCount, GDK_TYPE_PIXBUF, G_TYPE_STRING);
    list_ = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store_));
    gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(list_), FALSE);
    gtk_tree_view_set_enable_search(GTK_TREE_VIEW(list_), FALSE);
    GtkTreeViewColumn* column = gtk_tree_view_column_new();
    GtkCellRenderer* icon = gtk_cell_renderer_pixbuf_new();
    gtk_tree_view_column_pack_start(column, icon, FALSE);
    gtk_tree_view_column_add_attribute(column, icon, "pixbuf", kIconColumn);
    GtkCellRenderer* text = gtk_cell_renderer_text_new();
    gtk_tree_view_column_pack_start(column, text, TRUE);
    gtk_tree_view_column_add_attribute(column, text, "text", kTextColumn);
    gtk_tree_view_append_column(GTK_TREE_VIEW(list_), column);
    gtk_tree_selection_set_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(list_)), GTK_SELECTION_MULTIPLE);
    g_signal_connect(list_, "cursor-changed", G_CALLBACK(OnCursorChanged), this);
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_widget_set_size_request(scroller, 276 * kDialogUnitX, 210 * kDialogUnitY);
    gtk_container_add(GTK_CONTAINER(scroller), list_);
    gtk_grid_attach(GTK_GRID(grid), scroller, 0, 1, 1, 3);

    GtkWidget* previewFrame = gtk_frame_new(nullptr);
    gtk_frame_set_shadow_type(GTK_FRAME(previewFrame), GTK_SHADOW_IN);
    preview_ = gtk_drawing_area_new();
    gtk_widget_set_size_request(preview_, 156 * kDialogUnitX, 138 * kDialogUnitY);
    g_signal_connect(preview_, "draw", G_CALLBACK(OnDraw), this);
    gtk_container_add(GTK_CONTAINER(previewFrame), preview_);
    gtk_widget_set_valign(previewFrame, GTK_ALIGN_START);
    gtk_grid_attach(GTK_GRID(grid), previewFrame, 1, 1, 1, 1);

    GtkWidget* middle = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6 * kDialogUnitX);
    GtkWidget* adds = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6 * kDialogUnitY);
    GtkWidget* addFile = Button(kAddFileButton, "Add file", kLeftButtonWidth);
    gtk_box_pack_start(GTK_BOX(adds), addFile, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(adds), Button(kAddFolderButton, "Add folder", kLeftButtonWidth), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(middle), adds, FALSE, FALSE, 0);
    GtkWidget* note = gtk_label_new(
        "Including any folder to your collection allows you to view ALL pictures in that folder and subfolders for "
        "the time the screen saver is loaded");
    gtk_label_set_line_wrap(GTK_LABEL(note), TRUE);
    gtk_label_set_justify(GTK_LABEL(note), GTK_JUSTIFY_CENTER);
    gtk_label_set_max_width_chars(GTK_LABEL(note), 1);
    gtk_widget_set_size_request(note, 96 * kDialogUnitX, -1);
    gtk_widget_set_valign(note, GTK_ALIGN_START);
    gtk_box_pack_end(GTK_BOX(middle), note, FALSE, FALSE, 0);
    gtk_widget_set_margin_top(middle, 2 * kDialogUnitY);
    gtk_grid_attach(GTK_GRID(grid), middle, 1, 2, 1, 1);

    GtkWidget* bottom = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    gtk_box_pack_start(GTK_BOX(bottom), Button(kRemoveItemButton, "Remove item", kLeftButtonWidth), FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(bottom), Button(kAcceptButton, "Accept", 42), FALSE, FALSE, 0);
    gtk_widget_set_valign(bottom, GTK_ALIGN_END);
    gtk_widget_set_vexpand(bottom, TRUE);
    gtk_grid_attach(GTK_GRID(grid), bottom, 1, 3, 1, 1);

    // Not the list: focusing it would focus an item and start a preview by itself.
    gtk_window_set_focus(GTK_WINDOW(window_), addFile);
    gtk_window_set_focus_visible(GTK_WINDOW(window_), TRUE);
}

int ImageLibraryDialogGtk::Run(GtkWindow* owner)
{
    Build(owner);
    ImageLibraryDialogGtk* outer = gOpenDialog;
    gOpenDialog = this;
    handler_.OnInit(*this);
    if (!ended_) {
        gtk_widget_show_all(window_);
        loop_ = g_main_loop_new(nullptr, FALSE);
        g_main_loop_run(loop_);
        g_main_loop_unref(loop_);
        loop_ = nullptr;
    }
    handler_.OnDestroy();
    gOpenDialog = outer;
    if (timerSource_ != 0)
        g_source_remove(timerSource_);
    if (!destroyed_) {
        destroyed_ = true;
        gtk_widget_destroy(window_);
    }
    g_object_unref(store_);
    g_object_unref(leftButtons_);
    if (folderIcon_ != nullptr)
        g_object_unref(folderIcon_);
    if (fileIcon_ != nullptr)
        g_object_unref(fileIcon_);
    return result_;
}

}  // namespace

namespace gtk {

int RunImageLibraryDialog(GtkWindow* owner, ImageLibraryDialogHandler& handler)
{
    ImageLibraryDialogGtk dialog(handler);
    return dialog.Run(owner);
}

}  // namespace gtk

}  // namespace platform
