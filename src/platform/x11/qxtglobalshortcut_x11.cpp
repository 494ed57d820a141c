#include "qxt/qxtglobalshortcut_p.h"

#include <QByteArray>
#include <QMessageLogger>
#include <QVector>
#include <QX11Info>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

#include "qxt/keytables.h"

namespace {

constexpr xcb_keysym_t NUM_LOCK_KEYSYM = 0xff7f;
constexpr quint16 FALLBACK_NUM_LOCK = XCB_MOD_MASK_2;

struct Grab
{
    quint32 keysym;
    quint32 mods;
    quint16 numLock; // the Num Lock mask the variants were grabbed with
};

// (keycode, modifier mask) -> combination, for every grab this process holds.
QHash<QPair<quint32, quint32>, Grab> grabs;

xcb_connection_t* connection()
{
    return QX11Info::isPlatformX11() ? QX11Info::connection() : nullptr;
}

struct SymbolsDeleter
{
    void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};

QVector<xcb_keycode_t> keycodesOf(xcb_connection_t* c, xcb_keysym_t keysym)
{
    QVector<xcb_keycode_t> result;
    if (keysym == 0)
        return result;
    std::unique_ptr<xcb_key_symbols_t, SymbolsDeleter> symbols(xcb_key_symbols_alloc(c));
    if (!symbols)
        return result;
    // a keysym can sit on several keys (Print does): grab them all
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols.get(), keysym);
    if (!codes)
        return result;
    for (xcb_keycode_t* code = codes; *code != XCB_NO_SYMBOL; ++code) {
        if (!result.contains(*code))
            result.append(*code);
    }
    std::free(codes);
    return result;
}

// Num Lock is whichever modifier carries the Num_Lock key; Mod2 almost always.
quint16 numLockMask(xcb_connection_t* c)
{
    const QVector<xcb_keycode_t> numLockCodes = keycodesOf(c, NUM_LOCK_KEYSYM);
    if (numLockCodes.isEmpty())
        return FALLBACK_NUM_LOCK;
    xcb_get_modifier_mapping_reply_t* reply =
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr);
    if (!reply)
        return FALLBACK_NUM_LOCK;
    quint16 mask = 0;
    const int perModifier = reply->keycodes_per_modifier;
    const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
    for (int modifier = 0; modifier < 8 && mask == 0; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            if (numLockCodes.contains(map[modifier * perModifier + i])) {
                mask = quint16(1u << modifier);
                break;
            }
        }
    }
    std::free(reply);
    return mask ? mask : FALLBACK_NUM_LOCK;
}

bool checked(xcb_connection_t* c, xcb_void_cookie_t cookie)
{
    xcb_generic_error_t* error = xcb_request_check(c, cookie);
    if (!error)
        return true;
    std::free(error);
    return false;
}

void ungrab(xcb_connection_t* c, xcb_keycode_t keycode, const QVector<quint16>& variants)
{
    for (quint16 mask : variants)
        xcb_ungrab_key(c, keycode, QX11Info::appRootWindow(), mask);
    xcb_flush(c);
}

class X11HotkeyFilter : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override
    {
        Q_UNUSED(result);
        if (eventType != "xcb_generic_event_t" || grabs.isEmpty())
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
            return false;
        const auto* press = static_cast<const xcb_key_press_event_t*>(message);
        const auto it = grabs.constFind(qMakePair(quint32(press->detail),
                                                  quint32(press->state & keytables::X11_RELEVANT_MODS)));
        if (it != grabs.constEnd())
            QxtGlobalShortcutPrivate::activateShortcut(it->keysym, it->mods);
        return false; // others may watch the same events
    }
};

} // namespace

quint32 QxtGlobalShortcutPrivate::nativeKeycode(int key)
{
    return keytables::x11Keysym(key);
}

quint32 QxtGlobalShortcutPrivate::nativeModifiers(Qt::KeyboardModifiers mods)
{
    return keytables::x11Modifiers(mods);
}

QAbstractNativeEventFilter* QxtGlobalShortcutPrivate::createEventFilter()
{
    return new X11HotkeyFilter;
}

bool QxtGlobalShortcutPrivate::registerShortcut(quint32 nativeKey, quint32 nativeMods)
{
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    const QVector<xcb_keycode_t> keycodes = keycodesOf(c, nativeKey);
    if (keycodes.isEmpty())
        return false;
    for (xcb_keycode_t keycode : keycodes) {
        // another keysym on the same key may already be ours; X would let us
        // grab it again without complaint
        if (grabs.contains(qMakePair(quint32(keycode), nativeMods)))
            return false;
    }

    const quint16 numLock = numLockMask(c);
    const QVector<quint16> variants = keytables::x11LockVariants(quint16(nativeMods), numLock);
    const xcb_window_t root = QX11Info::appRootWindow();

    // Send every grab first and only then wait for the answers: one round
    // trip instead of one per variant.
    struct Pending
    {
        xcb_keycode_t keycode;
        xcb_void_cookie_t cookie;
    };
    QVector<Pending> pending;
    for (xcb_keycode_t keycode : keycodes) {
        for (quint16 mask : variants) {
            // owner_events false: the combination never reaches a focused window,
            // as with a hotkey on other systems
            pending.append({keycode, xcb_grab_key_checked(c, 0, root, mask, keycode, XCB_GRAB_MODE_ASYNC,
                                                          XCB_GRAB_MODE_ASYNC)});
        }
    }
    bool ok = true;
    for (const Pending& p : pending)
        ok = checked(c, p.cookie) && ok; // collect every reply, even after a failure

    if (!ok) {
        // BadAccess on any variant: someone else holds it. Give back what we got
        // (ungrabbing a variant we never held is harmless).
        for (xcb_keycode_t keycode : keycodes)
            ungrab(c, keycode, variants);
        return false;
    }
    for (xcb_keycode_t keycode : keycodes)
        grabs.insert(qMakePair(quint32(keycode), nativeMods), Grab{nativeKey, nativeMods, numLock});
    return true;
}

bool QxtGlobalShortcutPrivate::unregisterShortcut(quint32 nativeKey, quint32 nativeMods)
{
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    const xcb_window_t root = QX11Info::appRootWindow();
    bool found = false;
    bool ok = true;
    for (auto it = grabs.begin(); it != grabs.end();) {
        if (it->keysym != nativeKey || it->mods != nativeMods) {
            ++it;
            continue;
        }
        found = true;
        const xcb_keycode_t keycode = xcb_keycode_t(it.key().first);
        for (quint16 mask : keytables::x11LockVariants(quint16(nativeMods), it->numLock))
            ok = checked(c, xcb_ungrab_key_checked(c, keycode, root, mask)) && ok;
        it = grabs.erase(it);
    }
    return found && ok;
}
