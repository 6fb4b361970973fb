// Message boxes as modal GTK dialogs, shown on the window thread.
#include <gtk/gtk.h>

#include <cstdio>

#include "platform/MessageBox.h"
#include "platform/StopRequests.h"
#include "platform/x11/DialogsGtk.h"
#include "platform/x11/X11Session.h"

namespace platform {

bool ShowMessageBox(const char* title, const char* text)
{
    // GTK is set up once, on the first thread that shows a box: the window thread.
    static int gtkReady = -1;
    if (gtkReady < 0) {
        x11::InitializeXlib();
        gdk_set_allowed_backends("x11");
        gtkReady = gtk_init_check(nullptr, nullptr) ? 1 : 0;
        if (gtkReady == 1)
            gtk::CloseWindowsOnStopRequest();
    }
    // Asked to stop: nobody is to wait for a click; the text still reaches the error output.
    if (gtkReady == 0 || StopRequested()) {
        std::fprintf(stderr, "%s\n", text);
        return false;
    }
    // A full-screen saver holds the keyboard and the pointer; the box needs them.
    x11::ReleaseSaverInput();

    GtkWidget* dialog =
        gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, "%s", text);
    gtk_window_set_title(GTK_WINDOW(dialog), title);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    while (gtk_events_pending())
        gtk_main_iteration();
    return true;
}

}  // namespace platform
