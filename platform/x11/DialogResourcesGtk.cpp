#include "platform/BitmapResources.h"
#include "platform/Resources.h"
#include "platform/x11/DialogsGtk.h"

namespace platform {
namespace gtk {

GdkPixbuf* PixbufFromBitmapResource(int id)
{
    BgrxBitmap bitmap;
    if (!LoadBitmapResource(id, &bitmap) || bitmap.width <= 0 || bitmap.height <= 0)
        return nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, bitmap.width, bitmap.height);
    if (pixbuf == nullptr)
        return nullptr;
    guchar* rows = gdk_pixbuf_get_pixels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    for (int y = 0; y < bitmap.height; ++y) {
        const std::uint8_t* source = bitmap.pixels.data() + static_cast<std::size_t>(y) * bitmap.width * 4;
        guchar* target = rows + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < bitmap.width; ++x) {
            target[x * 3 + 0] = source[x * 4 + 2];
            target[x * 3 + 1] = source[x * 4 + 1];
            target[x * 3 + 2] = source[x * 4 + 0];
        }
    }
    return pixbuf;
}

GdkPixbuf* PixbufFromIconResource(int id)
{
    ResourceBytes bytes;
    if (!FindResourceBytes("Icon", id, &bytes))
        return nullptr;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("ico", nullptr);
    if (loader == nullptr)
        return nullptr;
    GdkPixbuf* pixbuf = nullptr;
    const bool written = gdk_pixbuf_loader_write(loader, bytes.data, bytes.size, nullptr);
    if (gdk_pixbuf_loader_close(loader, nullptr) && written) {
        pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
        if (pixbuf != nullptr)
            g_object_ref(pixbuf);
    }
    g_object_unref(loader);
    return pixbuf;
}

void SetControlId(GtkWidget* widget, int controlId)
{
    g_object_set_data(G_OBJECT(widget), "control-id", GINT_TO_POINTER(controlId));
}

int ControlId(gpointer widget) { return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), "control-id")); }

}  // namespace gtk
}  // namespace platform
