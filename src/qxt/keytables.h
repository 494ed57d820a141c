#pragma once

#include <QKeySequence>
#include <QList>
#include <QVector>
#include <Qt>

// Pure translations from Qt keys and modifiers to what the native hotkey
// services take. Kept free of any platform header so both tables can be
// tested on every platform.
namespace keytables {

// The first combination of a sequence split into key and modifiers. Only
// Shift, Control, Alt and Meta count as modifiers; anything else (the keypad
// flag) stays with the key. An empty sequence gives key 0.
struct Combination
{
    // a Qt::Key, possibly with the keypad flag, which Qt::Key cannot hold
    int key = 0;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
};
Combination firstCombination(const QKeySequence& sequence);
QKeySequence toSequence(int key, Qt::KeyboardModifiers mods);

// Windows virtual-key code of a Qt key, 0 when the key has none (so also
// for every keypad-flagged key).
quint32 winVirtualKey(int key);
// Windows MOD_ALT / MOD_CONTROL / MOD_SHIFT / MOD_WIN flags.
quint32 winModifiers(Qt::KeyboardModifiers mods);
// The smallest hotkey identifier in 1..0xBFFF (the range Windows leaves to
// applications) that is not in use, or -1 when all are taken.
int firstFreeHotkeyId(const QList<int>& used);

// X keysym of a Qt key (the keypad flag selects the keypad keysyms), 0 when
// there is none.
quint32 x11Keysym(int keyWithKeypadFlag);
// X modifier mask: Shift, Control, Mod1 (Alt), Mod4 (Super/Meta).
quint16 x11Modifiers(Qt::KeyboardModifiers mods);
// The modifier bits a hotkey match looks at; lock modifiers are ignored.
constexpr quint16 X11_RELEVANT_MODS = 0x1 | 0x4 | 0x8 | 0x40;
// The masks to grab so that a hotkey works in every Caps Lock / Num Lock
// state: the plain mask first, then with each lock and with both.
QVector<quint16> x11LockVariants(quint16 mods, quint16 numLockMask);

} // namespace keytables
