#include "qxt/keytables.h"

#include <algorithm>

namespace keytables {

namespace {

constexpr int MODIFIER_BITS = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

struct KeyPair
{
    int qt;
    quint32 native;
};

// Named keys of the Windows hotkey service. Comma is the keypad separator and
// Print is VK_PRINT: that is what the hotkeys have always been registered as.
constexpr KeyPair WIN_KEYS[] = {
    {Qt::Key_Space, 0x20},        {Qt::Key_Asterisk, 0x6A},   {Qt::Key_Plus, 0x6B},
    {Qt::Key_Comma, 0x6C},        {Qt::Key_Minus, 0x6D},      {Qt::Key_Slash, 0x6F},
    {Qt::Key_Escape, 0x1B},       {Qt::Key_Tab, 0x09},        {Qt::Key_Backtab, 0x09},
    {Qt::Key_Backspace, 0x08},    {Qt::Key_Return, 0x0D},     {Qt::Key_Enter, 0x0D},
    {Qt::Key_Insert, 0x2D},       {Qt::Key_Delete, 0x2E},     {Qt::Key_Pause, 0x13},
    {Qt::Key_Print, 0x2A},        {Qt::Key_Clear, 0x0C},      {Qt::Key_Home, 0x24},
    {Qt::Key_End, 0x23},          {Qt::Key_Left, 0x25},       {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},        {Qt::Key_Down, 0x28},       {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},     {Qt::Key_VolumeDown, 0xAE}, {Qt::Key_VolumeMute, 0xAD},
    {Qt::Key_VolumeUp, 0xAF},     {Qt::Key_MediaPlay, 0xB3},  {Qt::Key_MediaStop, 0xB2},
    {Qt::Key_MediaPrevious, 0xB1}, {Qt::Key_MediaNext, 0xB0},
};

// Named keys as X keysyms (keysymdef.h and XF86keysym.h values).
constexpr KeyPair X11_KEYS[] = {
    {Qt::Key_Escape, 0xff1b},
    {Qt::Key_Tab, 0xff09},
    {Qt::Key_Backtab, 0xfe20}, // ISO_Left_Tab, what Shift+Tab produces
    {Qt::Key_Backspace, 0xff08},
    {Qt::Key_Return, 0xff0d},
    {Qt::Key_Enter, 0xff8d}, // KP_Enter
    {Qt::Key_Insert, 0xff63},
    {Qt::Key_Delete, 0xffff},
    {Qt::Key_Pause, 0xff13},
    {Qt::Key_Print, 0xff61},
    {Qt::Key_SysReq, 0xff15},
    {Qt::Key_Clear, 0xff0b},
    {Qt::Key_Home, 0xff50},
    {Qt::Key_End, 0xff57},
    {Qt::Key_Left, 0xff51},
    {Qt::Key_Up, 0xff52},
    {Qt::Key_Right, 0xff53},
    {Qt::Key_Down, 0xff54},
    {Qt::Key_PageUp, 0xff55},
    {Qt::Key_PageDown, 0xff56},
    {Qt::Key_ScrollLock, 0xff14},
    {Qt::Key_Menu, 0xff67},
    {Qt::Key_Help, 0xff6a},
    {Qt::Key_VolumeDown, 0x1008ff11},
    {Qt::Key_VolumeMute, 0x1008ff12},
    {Qt::Key_VolumeUp, 0x1008ff13},
    {Qt::Key_MediaPlay, 0x1008ff14},
    {Qt::Key_MediaTogglePlayPause, 0x1008ff14},
    {Qt::Key_MediaStop, 0x1008ff15},
    {Qt::Key_MediaPrevious, 0x1008ff16},
    {Qt::Key_MediaNext, 0x1008ff17},
    {Qt::Key_MediaRecord, 0x1008ff1c},
    {Qt::Key_MediaPause, 0x1008ff31},
    {Qt::Key_MicMute, 0x1008ffb2},
    {Qt::Key_HomePage, 0x1008ff18},
    {Qt::Key_LaunchMail, 0x1008ff19},
    {Qt::Key_Search, 0x1008ff1b},
    {Qt::Key_Calculator, 0x1008ff1d},
    {Qt::Key_Back, 0x1008ff26},
    {Qt::Key_Forward, 0x1008ff27},
    {Qt::Key_Stop, 0x1008ff28},
    {Qt::Key_Refresh, 0x1008ff73},
    {Qt::Key_Favorites, 0x1008ff30},
    {Qt::Key_Explorer, 0x1008ff5d},
    {Qt::Key_Sleep, 0x1008ff2f},
    {Qt::Key_PowerOff, 0x1008ff2a},
};

// Keys that the key field reports with the keypad flag.
constexpr KeyPair X11_KEYPAD_KEYS[] = {
    {Qt::Key_Asterisk, 0xffaa}, {Qt::Key_Plus, 0xffab},  {Qt::Key_Comma, 0xffac},
    {Qt::Key_Minus, 0xffad},    {Qt::Key_Period, 0xffae}, {Qt::Key_Slash, 0xffaf},
    {Qt::Key_Enter, 0xff8d},    {Qt::Key_Equal, 0xffbd},
    // Num Lock off: the same keys give their navigation keysyms
    {Qt::Key_Home, 0xff95},     {Qt::Key_Left, 0xff96},   {Qt::Key_Up, 0xff97},
    {Qt::Key_Right, 0xff98},    {Qt::Key_Down, 0xff99},   {Qt::Key_PageUp, 0xff9a},
    {Qt::Key_PageDown, 0xff9b}, {Qt::Key_End, 0xff9c},    {Qt::Key_Clear, 0xff9d},
    {Qt::Key_Insert, 0xff9e},   {Qt::Key_Delete, 0xff9f},
};

template<size_t N>
quint32 lookup(const KeyPair (&table)[N], int key)
{
    for (const KeyPair& pair : table) {
        if (pair.qt == key)
            return pair.native;
    }
    return 0;
}

} // namespace

Combination firstCombination(const QKeySequence& sequence)
{
    Combination combination;
    if (sequence.isEmpty())
        return combination;
    const int first = sequence[0];
    combination.mods = Qt::KeyboardModifiers(first & MODIFIER_BITS);
    combination.key = first & ~MODIFIER_BITS;
    return combination;
}

QKeySequence toSequence(int key, Qt::KeyboardModifiers mods)
{
    if (key == 0)
        return QKeySequence();
    return QKeySequence(key | int(mods));
}

quint32 winVirtualKey(int key)
{
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return quint32(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + quint32(key - Qt::Key_F1);
    return lookup(WIN_KEYS, key);
}

quint32 winModifiers(Qt::KeyboardModifiers mods)
{
    quint32 flags = 0;
    if (mods & Qt::ShiftModifier)
        flags |= 0x0004; // MOD_SHIFT
    if (mods & Qt::ControlModifier)
        flags |= 0x0002; // MOD_CONTROL
    if (mods & Qt::AltModifier)
        flags |= 0x0001; // MOD_ALT
    if (mods & Qt::MetaModifier)
        flags |= 0x0008; // MOD_WIN
    return flags;
}

int firstFreeHotkeyId(const QList<int>& used)
{
    QList<int> sorted = used;
    std::sort(sorted.begin(), sorted.end());
    int candidate = 1;
    for (int id : sorted) {
        if (id < candidate)
            continue;
        if (id > candidate)
            break;
        ++candidate;
    }
    return candidate <= 0xBFFF ? candidate : -1;
}

quint32 x11Keysym(int keyWithKeypadFlag)
{
    const int key = keyWithKeypadFlag & ~int(Qt::KeypadModifier);
    if (keyWithKeypadFlag & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return 0xffb0 + quint32(key - Qt::Key_0);
        return lookup(X11_KEYPAD_KEYS, key);
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return quint32(key - Qt::Key_A) + 0x61; // lower-case keysym sits in the first column
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        return quint32(key); // Latin-1 keysyms equal their characters
    if (key >= Qt::Key_Agrave && key <= Qt::Key_THORN && key != Qt::Key_multiply)
        return quint32(key) + 0x20; // accented capitals: their lower-case keysym
    if (key >= Qt::Key_nobreakspace && key <= Qt::Key_ydiaeresis)
        return quint32(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return 0xffbe + quint32(key - Qt::Key_F1);
    return lookup(X11_KEYS, key);
}

quint16 x11Modifiers(Qt::KeyboardModifiers mods)
{
    quint16 mask = 0;
    if (mods & Qt::ShiftModifier)
        mask |= 0x01; // ShiftMask
    if (mods & Qt::ControlModifier)
        mask |= 0x04; // ControlMask
    if (mods & Qt::AltModifier)
        mask |= 0x08; // Mod1Mask
    if (mods & Qt::MetaModifier)
        mask |= 0x40; // Mod4Mask
    return mask;
}

QVector<quint16> x11LockVariants(quint16 mods, quint16 numLockMask)
{
    constexpr quint16 capsLock = 0x02; // LockMask
    QVector<quint16> variants{mods, quint16(mods | capsLock)};
    if (numLockMask != 0 && numLockMask != capsLock && !(mods & numLockMask)) {
        variants.append(quint16(mods | numLockMask));
        variants.append(quint16(mods | numLockMask | capsLock));
    }
    return variants;
}

} // namespace keytables
