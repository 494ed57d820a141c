#include "core/desktopgrab.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMutex>
#include <QX11Info>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <utility>

namespace {

// Whether the root is a 24/32-bit TrueColor visual stored 32 bits per pixel,
// which is what QImage::Format_RGB32 reads directly.
bool rootIsRgb32(xcb_connection_t* c, const xcb_screen_t* screen)
{
    if (screen->root_depth != 24 && screen->root_depth != 32)
        return false;
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    bool bpp32 = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == screen->root_depth)
            bpp32 = it.data->bits_per_pixel == 32;
    if (!bpp32)
        return false;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id == screen->root_visual)
                return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xff0000
                    && v.data->green_mask == 0xff00 && v.data->blue_mask == 0xff;
        }
    }
    return false;
}

xcb_screen_t* rootScreen(xcb_connection_t* c, xcb_window_t root)
{
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it))
        if (it.data->root == root)
            return it.data;
    return nullptr;
}

// A segment the server writes one grab into. The image wraps it directly, so
// the grab is never copied. When the last copy of the image goes, the segment
// is parked for the next grab instead of being unmapped: a fresh segment
// costs the server a page fault for every 4 KiB it writes, which on a 4K
// desktop doubles the time of the grab. The previous screenshot is released
// right before the next grab, so the parked segment is reused at once and
// costs no memory beyond the screenshot it held.
struct Segment
{
    xcb_connection_t* connection = nullptr;
    void* mem = nullptr;
    xcb_shm_seg_t seg = 0;
    size_t size = 0;

    void destroy()
    {
        // xcb is thread-safe: the last copy of an image may go on a worker.
        // While the application closes, the connection may be gone already;
        // the server lets go of the segment when the client disconnects.
        if (QCoreApplication::instance() && !QCoreApplication::closingDown()) {
            xcb_shm_detach(connection, seg);
            xcb_flush(connection);
        }
        shmdt(mem);
        delete this;
    }

    static QMutex& poolLock()
    {
        static QMutex lock;
        return lock;
    }
    static Segment*& parked()
    {
        static Segment* segment = nullptr;
        return segment;
    }

    static void release(void* info)
    {
        auto* s = static_cast<Segment*>(info);
        {
            QMutexLocker locker(&poolLock());
            if (!parked() && !QCoreApplication::closingDown()) {
                parked() = s;
                return;
            }
        }
        s->destroy();
    }

    // The parked segment if it is big enough, else a new one.
    static Segment* take(xcb_connection_t* c, size_t bytes)
    {
        Segment* s = nullptr;
        {
            QMutexLocker locker(&poolLock());
            std::swap(s, parked());
        }
        if (s && s->connection == c && s->size >= bytes)
            return s;
        if (s)
            s->destroy();
        return attach(c, bytes);
    }

    static Segment* attach(xcb_connection_t* c, size_t bytes)
    {
        const int shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (shmid < 0)
            return nullptr;
        void* p = shmat(shmid, nullptr, 0);
        // Marked for removal at once: it goes away when both sides detach,
        // even if this process dies.
        shmctl(shmid, IPC_RMID, nullptr);
        if (p == reinterpret_cast<void*>(-1))
            return nullptr;
        const xcb_shm_seg_t id = xcb_generate_id(c);
        // Not read-only: the server writes the image into it.
        xcb_generic_error_t* error = xcb_request_check(c, xcb_shm_attach_checked(c, id, uint32_t(shmid), 0));
        if (error) {
            std::free(error);
            shmdt(p);
            return nullptr;
        }
        return new Segment{ c, p, id, bytes };
    }
};

} // namespace

QImage nativeGrabDesktop(const QRect& rect)
{
    if (!QX11Info::isPlatformX11())
        return QImage();
    xcb_connection_t* c = QX11Info::connection();
    const xcb_window_t root = QX11Info::appRootWindow();
    xcb_screen_t* screen = c ? rootScreen(c, root) : nullptr;
    if (!screen || !rootIsRgb32(c, screen))
        return QImage();
    // Only what lies on the root can be read; the caller gets a null image
    // for anything else and falls back.
    if (!QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels).contains(rect))
        return QImage();

    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_shm_id);
    if (!ext || !ext->present)
        return QImage();

    const size_t bytes = size_t(rect.width()) * size_t(rect.height()) * 4;
    Segment* segment = Segment::take(c, bytes);
    if (!segment)
        return QImage();

    xcb_generic_error_t* error = nullptr;
    xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
        c,
        xcb_shm_get_image(c, root, int16_t(rect.x()), int16_t(rect.y()), uint16_t(rect.width()),
                          uint16_t(rect.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment->seg, 0),
        &error);
    const bool ok = reply && !error;
    if (!ok)
        qWarning() << "shared-memory grab failed" << (error ? int(error->error_code) : -1);
    std::free(reply);
    std::free(error);
    if (!ok) {
        segment->destroy();
        return QImage();
    }
    // The server leaves the pad byte of a 24-bit visual undefined (zero on
    // most servers), while RGB32 promises 0xff there. It is left as it is:
    // a pass over a fresh desktop-sized segment costs a page fault per 4 KiB
    // on the path to the first frame. The toolkit reads such pixels as
    // opaque; only a raw copy into a translucent surface would take the zero
    // for alpha, and the windows that show grabs see to that (the overlay is
    // opaque, a pin makes its own copy opaque).
    // The pixels stay where the server put them: no copy.
    QImage image(static_cast<uchar*>(segment->mem), rect.width(), rect.height(), rect.width() * 4,
                 QImage::Format_RGB32, &Segment::release, segment);
    if (image.isNull())
        Segment::release(segment);
    return image;
}
