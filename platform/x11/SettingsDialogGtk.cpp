// The settings dialog as a GTK window; what its controls do is the handler's business.
#include <gdk/gdkkeysyms.h>
#include <gdk/gdkx.h>

#include <map>

#include "Version.h"
#include "platform/x11/DialogsGtk.h"

namespace platform {

namespace {

using gtk::kDialogUnitX;
using gtk::kDialogUnitY;
using gtk::ControlId;
using gtk::SetControlId;

class SettingsDialogGtk : public SettingsDialogView {
public:
    explicit SettingsDialogGtk(SettingsDialogHandler& handler) : handler_(handler) {}

    int Run(WindowHandle parent);

    void SetWindowIcon(int iconId) override
    {
        if (GdkPixbuf* icon = gtk::PixbufFromIconResource(iconId)) {
            gtk_window_set_icon(GTK_WINDOW(window_), icon);
            g_object_unref(icon);
        }
    }

    void SetCheckBox(int controlId, bool checked) override
    {
        const auto box = boxes_.find(controlId);
        if (box == boxes_.end())
            return;
        // A box set by the program is no user click.
        settingBox_ = true;
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(box->second), checked);
        settingBox_ = false;
    }

    bool IsCheckBoxChecked(int controlId) const override
    {
        const auto box = boxes_.find(controlId);
        return box != boxes_.end() && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(box->second));
    }

    void SendClose() override { handler_.OnClose(); }

    void EndDialog(int result) override
    {
        result_ = result;
        if (loop_ != nullptr)
            g_main_loop_quit(loop_);
        ended_ = true;
    }

    int RunImageLibraryDialog(ImageLibraryDialogHandler& handler) override
    {
        return gtk::RunImageLibraryDialog(GTK_WINDOW(window_), handler);
    }

private:
    void Build();
    GtkWidget* AddCheckBox(GtkBox* box, int controlId, const char* text);
    GtkWidget* AddButton(GtkBox* box, int controlId, const char* text);
    static GtkWidget* Explanation(const char* text, int widthUnits);

    static void OnToggled(GtkToggleButton* button, gpointer self);
    static void OnClicked(GtkButton* button, gpointer self);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
    static void OnDestroyed(GtkWidget*, gpointer self);
    static gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self);

    SettingsDialogHandler& handler_;
    GtkWidget* window_ = nullptr;
    std::map<int, GtkWidget*> boxes_;
    GtkSizeGroup* buttonWidths_ = nullptr;  // the three buttons share one width
    bool settingBox_ = false;
    GMainLoop* loop_ = nullptr;
    bool ended_ = false;
    bool destroyed_ = false;  // the window went away under the dialog (or at its end)
    int result_ = 0;
};

void SettingsDialogGtk::OnToggled(GtkToggleButton* button, gpointer self)
{
    auto* dialog = static_cast<SettingsDialogGtk*>(self);
    if (!dialog->settingBox_)
        dialog->handler_.OnCommand(ControlId(button));
}

void SettingsDialogGtk::OnClicked(GtkButton* button, gpointer self)
{
    static_cast<SettingsDialogGtk*>(self)->handler_.OnCommand(ControlId(button));
}

gboolean SettingsDialogGtk::OnDelete(GtkWidget*, GdkEvent*, gpointer self)
{
    static_cast<SettingsDialogGtk*>(self)->handler_.OnClose();
    return TRUE;  // the handler decides whether the dialog ends
}

void SettingsDialogGtk::OnDestroyed(GtkWidget*, gpointer self)
{
    // Destroyed from outside (its X window went away): it ends as through the close box.
    auto* dialog = static_cast<SettingsDialogGtk*>(self);
    if (dialog->destroyed_)
        return;
    dialog->destroyed_ = true;
    if (!dialog->ended_)
        dialog->handler_.OnClose();
    if (!dialog->ended_)
        dialog->EndDialog(0);
}

gboolean SettingsDialogGtk::OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self)
{
    auto* dialog = static_cast<SettingsDialogGtk*>(self);
    if (event->keyval == GDK_KEY_Escape) {
        dialog->handler_.OnCommand(kResetToDefaultButton);
        return TRUE;
    }
    if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter || event->keyval == GDK_KEY_ISO_Enter) {
        // A focused push button takes Enter itself; anywhere else it confirms.
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(widget));
        if (focus != nullptr && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus))
            return FALSE;
        dialog->handler_.OnCommand(kConfirmSettingsButton);
        return TRUE;
    }
    return FALSE;
}

GtkWidget* SettingsDialogGtk::AddCheckBox(GtkBox* box, int controlId, const char* text)
{
    GtkWidget* check = gtk_check_button_new_with_label(text);
    SetControlId(check, controlId);
    g_signal_connect(check, "toggled", G_CALLBACK(OnToggled), this);
    gtk_box_pack_start(box, check, FALSE, FALSE, 0);
    boxes_[controlId] = check;
    return check;
}

GtkWidget* SettingsDialogGtk::AddButton(GtkBox* box, int controlId, const char* text)
{
    GtkWidget* button = gtk_button_new_with_label(text);
    SetControlId(button, controlId);
    g_signal_connect(button, "clicked", G_CALLBACK(OnClicked), this);
    gtk_widget_set_halign(button, GTK_ALIGN_CENTER);
    gtk_widget_set_size_request(button, 66 * kDialogUnitX, -1);
    gtk_size_group_add_widget(buttonWidths_, button);
    gtk_box_pack_start(box, button, FALSE, FALSE, 0);
    return button;
}

GtkWidget* SettingsDialogGtk::Explanation(const char* text, int widthUnits)
{
    GtkWidget* label = gtk_label_new(text);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 1);  // wrap at the width asked for below
    gtk_widget_set_size_request(label, widthUnits * kDialogUnitX, 24 * kDialogUnitY);
    gtk_widget_set_margin_start(label, 12 * kDialogUnitX);
    return label;
}

void SettingsDialogGtk::Build()
{
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    buttonWidths_ = gtk_size_group_new(GTK_SIZE_GROUP_HORIZONTAL);
    gtk_window_set_title(GTK_WINDOW(window_), "Zentharis screensaver - Settings");
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
    gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_MOUSE);
    g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(window_, "destroy", G_CALLBACK(OnDestroyed), this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKeyPress), this);

    GtkWidget* groups = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6 * kDialogUnitX);
    gtk_container_set_border_width(GTK_CONTAINER(groups), 6 * kDialogUnitX);
    gtk_container_add(GTK_CONTAINER(window_), groups);

    // "Settings": the two boxes with their explanations, then the three buttons.
    GtkWidget* settingsGroup = gtk_frame_new("Settings");
    gtk_frame_set_label_align(GTK_FRAME(settingsGroup), 0.5f, 0.5f);
    gtk_widget_set_size_request(settingsGroup, 114 * kDialogUnitX, 156 * kDialogUnitY);
    gtk_box_pack_start(GTK_BOX(groups), settingsGroup, FALSE, FALSE, 0);
    GtkWidget* settings = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2 * kDialogUnitY);
    gtk_container_set_border_width(GTK_CONTAINER(settings), 3 * kDialogUnitX);
    gtk_container_add(GTK_CONTAINER(settingsGroup), settings);
    GtkWidget* showFps = AddCheckBox(GTK_BOX(settings), kShowFpsCheckBox, "Show FPS");
    gtk_box_pack_start(GTK_BOX(settings),
                       Explanation("This option allows you to clarify a productivity of your video card and CPU", 84),
                       FALSE, FALSE, 0);
    AddCheckBox(GTK_BOX(settings), kEnableVSyncCheckBox, "Enable VSync control");
    gtk_box_pack_start(GTK_BOX(settings),
                       Explanation("This options makes an image smoother and avoids unnecessary calculations", 90),
                       FALSE, FALSE, 0);
    GtkWidget* confirm = AddButton(GTK_BOX(settings), kConfirmSettingsButton, "Confirm settings");
    gtk_widget_set_margin_top(confirm, 4 * kDialogUnitY);
    AddButton(GTK_BOX(settings), kEditImageLibraryButton, "Edit Image Library");
    GtkWidget* reset = AddButton(GTK_BOX(settings), kResetToDefaultButton, "Reset to default");
    gtk_widget_set_margin_top(reset, 16 * kDialogUnitY);
    gtk_widget_set_can_default(confirm, TRUE);
    gtk_window_set_default(GTK_WINDOW(window_), confirm);

    // "About": the product's picture and the name and version in a sunken box.
    GtkWidget* aboutGroup = gtk_frame_new("About");
    gtk_frame_set_label_align(GTK_FRAME(aboutGroup), 0.5f, 0.5f);
    gtk_widget_set_size_request(aboutGroup, 198 * kDialogUnitX, 156 * kDialogUnitY);
    gtk_box_pack_start(GTK_BOX(groups), aboutGroup, FALSE, FALSE, 0);
    GtkWidget* about = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 7 * kDialogUnitX);
    gtk_widget_set_margin_start(about, 6 * kDialogUnitX);
    gtk_widget_set_margin_end(about, 6 * kDialogUnitX);
    gtk_widget_set_margin_top(about, 10 * kDialogUnitY);
    gtk_widget_set_valign(about, GTK_ALIGN_START);
    gtk_container_add(GTK_CONTAINER(aboutGroup), about);

    GtkWidget* picture = nullptr;
    if (GdkPixbuf* pixbuf = gtk::PixbufFromBitmapResource(kAboutBitmap)) {
        picture = gtk_image_new_from_pixbuf(pixbuf);
        g_object_unref(pixbuf);
    } else {
        picture = gtk_image_new();
    }
    gtk_widget_set_size_request(picture, 101 * kDialogUnitX, 61 * kDialogUnitY);
    gtk_widget_set_halign(picture, GTK_ALIGN_CENTER);
    gtk_widget_set_valign(picture, GTK_ALIGN_CENTER);
    gtk_box_pack_start(GTK_BOX(about), picture, FALSE, FALSE, 0);

    GtkWidget* nameBox = gtk_frame_new(nullptr);
    gtk_frame_set_shadow_type(GTK_FRAME(nameBox), GTK_SHADOW_IN);
    gtk_widget_set_size_request(nameBox, 78 * kDialogUnitX, 60 * kDialogUnitY);
    gtk_widget_set_valign(nameBox, GTK_ALIGN_START);
    GtkWidget* name = gtk_label_new(ZEN_NAME_BOX_TEXT);
    gtk_label_set_justify(GTK_LABEL(name), GTK_JUSTIFY_CENTER);
    gtk_widget_set_valign(name, GTK_ALIGN_START);
    gtk_container_add(GTK_CONTAINER(nameBox), name);
    gtk_box_pack_start(GTK_BOX(about), nameBox, FALSE, FALSE, 0);

    // The first control takes the focus, as in a dialog whose init leaves it alone.
    gtk_window_set_focus(GTK_WINDOW(window_), showFps);
    gtk_window_set_focus_visible(GTK_WINDOW(window_), TRUE);
}

int SettingsDialogGtk::Run(WindowHandle parent)
{
    Build();
    handler_.OnInit(*this);
    gtk_widget_realize(window_);
    if (parent != 0) {
        GdkWindow* foreign = gdk_x11_window_foreign_new_for_display(gdk_display_get_default(), parent);
        if (foreign != nullptr) {
            gdk_window_set_transient_for(gtk_widget_get_window(window_), foreign);
            g_object_unref(foreign);
        }
    }
    handler_.OnShow();
    if (!ended_) {
        gtk_widget_show_all(window_);
        loop_ = g_main_loop_new(nullptr, FALSE);
        g_main_loop_run(loop_);
        g_main_loop_unref(loop_);
        loop_ = nullptr;
    }
    if (!destroyed_) {
        destroyed_ = true;
        gtk_widget_destroy(window_);
    }
    window_ = nullptr;
    g_object_unref(buttonWidths_);
    while (gtk_events_pending())
        gtk_main_iteration();
    return result_;
}

}  // namespace

int RunSettingsDialogWindow(WindowHandle parent, SettingsDialogHandler& handler)
{
    if (!gtk_init_check(nullptr, nullptr))
        return -1;
    gtk::CloseWindowsOnStopRequest();
    SettingsDialogGtk dialog(handler);
    return dialog.Run(parent);
}

}  // namespace platform
