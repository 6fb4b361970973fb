#pragma once

#include <gtk/gtk.h>

#include "platform/Dialogs.h"

// What the GTK dialog views share inside platform/x11.
namespace platform {
namespace gtk {

// Pixels per dialog unit: the templates' proportions at a size that suits GTK's fonts.
constexpr int kDialogUnitX = 2;
constexpr int kDialogUnitY = 2;

// A bitmap or icon resource of the executable as a pixbuf (new reference); null when
// missing.
GdkPixbuf* PixbufFromBitmapResource(int id);
GdkPixbuf* PixbufFromIconResource(int id);

// The dialog control id a widget stands for, passed to the handler's OnCommand when the
// widget is used; 0 for a widget without one.
void SetControlId(GtkWidget* widget, int controlId);
int ControlId(gpointer widget);

// Once GTK is up: a stop asked for by the system closes every window on screen.
void CloseWindowsOnStopRequest();

// Runs the Image Library dialog modally over owner; the value passed to EndDialog.
int RunImageLibraryDialog(GtkWindow* owner, ImageLibraryDialogHandler& handler);

}  // namespace gtk
}  // namespace platform
