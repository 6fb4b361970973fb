// A stop asked for while a GTK dialog or box is up closes every window on screen, as
// the user closing them would: each dialog ends its own way (a box is dismissed, the
// settings are not saved), and the program goes on to its orderly end.
#include <glib-unix.h>
#include <gtk/gtk.h>

#include "platform/StopRequests.h"
#include "platform/x11/DialogsGtk.h"
#include "platform/x11/X11Session.h"

namespace platform {
namespace gtk {

namespace {

// After the request, windows opened later (a box a closing dialog shows) are closed too.
const guint kCloseAgainMs = 100;

gboolean CloseVisibleWindows(gpointer)
{
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item != nullptr; item = item->next) {
        GtkWidget* window = GTK_WIDGET(item->data);
        if (gtk_widget_get_visible(window) && gtk_window_get_window_type(GTK_WINDOW(window)) == GTK_WINDOW_TOPLEVEL)
            gtk_window_close(GTK_WINDOW(window));
    }
    g_list_free(windows);
    return G_SOURCE_CONTINUE;
}

gboolean OnStopRequest(gint, GIOCondition, gpointer)
{
    CloseVisibleWindows(nullptr);
    // The pipe stays readable: from now on a timer does the watching.
    g_timeout_add(kCloseAgainMs, CloseVisibleWindows, nullptr);
    return G_SOURCE_REMOVE;
}

}  // namespace

void CloseWindowsOnStopRequest()
{
    static bool watching = false;
    if (watching || x11::StopRequestFd() < 0)
        return;
    watching = true;
    g_unix_fd_add(x11::StopRequestFd(), G_IO_IN, OnStopRequest, nullptr);
}

}  // namespace gtk
}  // namespace platform
