#include <QtTest>

#ifdef KLIPORA_X11
#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#endif

#include "qxt/keytables.h"
#include "qxt/qxtglobalshortcut.h"

using namespace keytables;

class TestKeyTables : public QObject
{
    Q_OBJECT

private slots:
    void firstCombinationSplitsKeyAndModifiers()
    {
        Combination c = firstCombination(QKeySequence(QStringLiteral("Ctrl+Alt+V")));
        QCOMPARE(c.key, int(Qt::Key_V));
        QCOMPARE(c.mods, Qt::ControlModifier | Qt::AltModifier);

        // only the first combination of a sequence counts
        c = firstCombination(QKeySequence(QStringLiteral("Ctrl+A, B")));
        QCOMPARE(c.key, int(Qt::Key_A));
        QCOMPARE(c.mods, Qt::KeyboardModifiers(Qt::ControlModifier));

        c = firstCombination(QKeySequence());
        QCOMPARE(c.key, 0);
        QCOMPARE(c.mods, Qt::KeyboardModifiers(Qt::NoModifier));

        // the keypad flag is not a modifier: it stays with the key
        c = firstCombination(QKeySequence(int(Qt::KeypadModifier | Qt::ShiftModifier | Qt::Key_5)));
        QCOMPARE(c.key, int(Qt::KeypadModifier | Qt::Key_5));
        QCOMPARE(c.mods, Qt::KeyboardModifiers(Qt::ShiftModifier));

        c = firstCombination(QKeySequence(QStringLiteral("Meta+Shift+F12")));
        QCOMPARE(c.key, int(Qt::Key_F12));
        QCOMPARE(c.mods, Qt::MetaModifier | Qt::ShiftModifier);

        QCOMPARE(toSequence(Qt::Key_V, Qt::ControlModifier | Qt::AltModifier).toString(QKeySequence::PortableText),
                 QStringLiteral("Ctrl+Alt+V"));
        QVERIFY(toSequence(0, Qt::ControlModifier).isEmpty());
    }

    void windowsVirtualKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<quint32>("vk");
        const struct
        {
            const char* name;
            int key;
            quint32 vk;
        } rows[] = {
            {"space", Qt::Key_Space, 0x20},
            {"asterisk", Qt::Key_Asterisk, 0x6A},
            {"plus", Qt::Key_Plus, 0x6B},
            {"comma is the keypad separator", Qt::Key_Comma, 0x6C},
            {"minus", Qt::Key_Minus, 0x6D},
            {"slash", Qt::Key_Slash, 0x6F},
            {"escape", Qt::Key_Escape, 0x1B},
            {"tab", Qt::Key_Tab, 0x09},
            {"backtab", Qt::Key_Backtab, 0x09},
            {"backspace", Qt::Key_Backspace, 0x08},
            {"return", Qt::Key_Return, 0x0D},
            {"enter", Qt::Key_Enter, 0x0D},
            {"insert", Qt::Key_Insert, 0x2D},
            {"delete", Qt::Key_Delete, 0x2E},
            {"pause", Qt::Key_Pause, 0x13},
            {"print is VK_PRINT", Qt::Key_Print, 0x2A},
            {"clear", Qt::Key_Clear, 0x0C},
            {"home", Qt::Key_Home, 0x24},
            {"end", Qt::Key_End, 0x23},
            {"left", Qt::Key_Left, 0x25},
            {"up", Qt::Key_Up, 0x26},
            {"right", Qt::Key_Right, 0x27},
            {"down", Qt::Key_Down, 0x28},
            {"page up", Qt::Key_PageUp, 0x21},
            {"page down", Qt::Key_PageDown, 0x22},
            {"volume down", Qt::Key_VolumeDown, 0xAE},
            {"volume mute", Qt::Key_VolumeMute, 0xAD},
            {"volume up", Qt::Key_VolumeUp, 0xAF},
            {"media play", Qt::Key_MediaPlay, 0xB3},
            {"media stop", Qt::Key_MediaStop, 0xB2},
            {"media previous", Qt::Key_MediaPrevious, 0xB1},
            {"media next", Qt::Key_MediaNext, 0xB0},
            // everything else has no code
            {"period", Qt::Key_Period, 0},
            {"F25", Qt::Key_F25, 0},
            {"below space", 0x1f, 0},
            {"keypad 5", Qt::KeypadModifier | Qt::Key_5, 0},
            {"keypad comma", Qt::KeypadModifier | Qt::Key_Comma, 0},
            {"menu", Qt::Key_Menu, 0},
            {"media pause", Qt::Key_MediaPause, 0},
            {"a-umlaut", Qt::Key_Adiaeresis, 0},
            {"none", 0, 0},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.key << row.vk;
        for (int i = 0; i <= 9; ++i)
            QTest::addRow("digit %d", i) << int(Qt::Key_0 + i) << quint32(0x30 + i);
        for (int i = 0; i < 26; ++i)
            QTest::addRow("letter %c", 'A' + i) << int(Qt::Key_A + i) << quint32(0x41 + i);
        for (int i = 0; i < 24; ++i)
            QTest::addRow("F%d", i + 1) << int(Qt::Key_F1 + i) << quint32(0x70 + i);
    }
    void windowsVirtualKeys()
    {
        QFETCH(int, key);
        QFETCH(quint32, vk);
        QCOMPARE(winVirtualKey(key), vk);
    }

    void windowsModifierFlags()
    {
        QCOMPARE(winModifiers(Qt::NoModifier), 0u);
        QCOMPARE(winModifiers(Qt::ShiftModifier), 0x4u);
        QCOMPARE(winModifiers(Qt::ControlModifier), 0x2u);
        QCOMPARE(winModifiers(Qt::AltModifier), 0x1u);
        QCOMPARE(winModifiers(Qt::MetaModifier), 0x8u);
        QCOMPARE(winModifiers(Qt::ControlModifier | Qt::AltModifier), 0x3u);
        QCOMPARE(winModifiers(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier), 0xFu);
        // no other flag (not even MOD_NOREPEAT) ever slips in
        QCOMPARE(winModifiers(Qt::KeypadModifier | Qt::GroupSwitchModifier), 0u);
    }

    void hotkeyIdentifiersAreUnique()
    {
        QCOMPARE(firstFreeHotkeyId({}), 1);
        QCOMPARE(firstFreeHotkeyId({1, 2, 3}), 4);
        QCOMPARE(firstFreeHotkeyId({3, 1}), 2);
        QCOMPARE(firstFreeHotkeyId({2, 2, 1}), 3);

        // Ctrl+Alt+V and Shift+Alt+P xor to the same number; each still gets its own id
        const quint32 v = winVirtualKey(Qt::Key_V) ^ winModifiers(Qt::ControlModifier | Qt::AltModifier);
        const quint32 r = winVirtualKey(Qt::Key_P) ^ winModifiers(Qt::ShiftModifier | Qt::AltModifier);
        QCOMPARE(v, r);
        QList<int> used;
        for (int i = 0; i < 4; ++i)
            used.append(firstFreeHotkeyId(used));
        QCOMPARE(used, (QList<int>{1, 2, 3, 4}));

        QList<int> all;
        for (int id = 1; id <= 0xBFFF; ++id)
            all.append(id);
        QCOMPARE(firstFreeHotkeyId(all), -1);
        all.removeAt(100);
        QCOMPARE(firstFreeHotkeyId(all), 101);
    }

    void x11Modifiers()
    {
        QCOMPARE(keytables::x11Modifiers(Qt::NoModifier), quint16(0));
        QCOMPARE(keytables::x11Modifiers(Qt::ShiftModifier), quint16(0x01));
        QCOMPARE(keytables::x11Modifiers(Qt::ControlModifier), quint16(0x04));
        QCOMPARE(keytables::x11Modifiers(Qt::AltModifier), quint16(0x08));
        QCOMPARE(keytables::x11Modifiers(Qt::MetaModifier), quint16(0x40));
        QCOMPARE(keytables::x11Modifiers(Qt::ControlModifier | Qt::AltModifier), quint16(0x0C));
        QCOMPARE(keytables::x11Modifiers(Qt::KeypadModifier), quint16(0));
        // everything a combination can use is looked at when matching a press
        QCOMPARE(keytables::x11Modifiers(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier
                                         | Qt::MetaModifier),
                 X11_RELEVANT_MODS);
    }

    void x11LockVariantsCoverEveryLockState()
    {
        const QVector<quint16> v = x11LockVariants(0x0C, 0x10);
        QCOMPARE(v, (QVector<quint16>{0x0C, 0x0E, 0x1C, 0x1E}));
        // plain key: bare, Caps, Num, both
        QCOMPARE(x11LockVariants(0, 0x10), (QVector<quint16>{0x00, 0x02, 0x10, 0x12}));
        // Num Lock on an unusual modifier
        QCOMPARE(x11LockVariants(0x01, 0x80), (QVector<quint16>{0x01, 0x03, 0x81, 0x83}));
        // no Num Lock modifier at all: no duplicate grabs
        QCOMPARE(x11LockVariants(0x04, 0), (QVector<quint16>{0x04, 0x06}));
    }

#ifdef KLIPORA_X11
    void x11Keysyms_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<quint32>("keysym");
        const struct
        {
            const char* name;
            int key;
            quint32 keysym;
        } rows[] = {
            {"space", Qt::Key_Space, XK_space},
            {"comma", Qt::Key_Comma, XK_comma},
            {"period", Qt::Key_Period, XK_period},
            {"slash", Qt::Key_Slash, XK_slash},
            {"semicolon", Qt::Key_Semicolon, XK_semicolon},
            {"apostrophe", Qt::Key_Apostrophe, XK_apostrophe},
            {"bracket left", Qt::Key_BracketLeft, XK_bracketleft},
            {"backslash", Qt::Key_Backslash, XK_backslash},
            {"grave", Qt::Key_QuoteLeft, XK_grave},
            {"minus", Qt::Key_Minus, XK_minus},
            {"equal", Qt::Key_Equal, XK_equal},
            {"exclam (shifted 1)", Qt::Key_Exclam, XK_exclam},
            {"tilde", Qt::Key_AsciiTilde, XK_asciitilde},
            {"a-umlaut", Qt::Key_Adiaeresis, XK_adiaeresis},
            {"sharp s", Qt::Key_ssharp, XK_ssharp},
            {"multiply sign", Qt::Key_multiply, XK_multiply},
            {"escape", Qt::Key_Escape, XK_Escape},
            {"tab", Qt::Key_Tab, XK_Tab},
            {"backtab", Qt::Key_Backtab, XK_ISO_Left_Tab},
            {"backspace", Qt::Key_Backspace, XK_BackSpace},
            {"return", Qt::Key_Return, XK_Return},
            {"enter", Qt::Key_Enter, XK_KP_Enter},
            {"insert", Qt::Key_Insert, XK_Insert},
            {"delete", Qt::Key_Delete, XK_Delete},
            {"pause", Qt::Key_Pause, XK_Pause},
            {"print", Qt::Key_Print, XK_Print},
            {"sysreq", Qt::Key_SysReq, XK_Sys_Req},
            {"home", Qt::Key_Home, XK_Home},
            {"end", Qt::Key_End, XK_End},
            {"left", Qt::Key_Left, XK_Left},
            {"up", Qt::Key_Up, XK_Up},
            {"right", Qt::Key_Right, XK_Right},
            {"down", Qt::Key_Down, XK_Down},
            {"page up", Qt::Key_PageUp, XK_Page_Up},
            {"page down", Qt::Key_PageDown, XK_Page_Down},
            {"menu", Qt::Key_Menu, XK_Menu},
            {"scroll lock", Qt::Key_ScrollLock, XK_Scroll_Lock},
            {"volume down", Qt::Key_VolumeDown, XF86XK_AudioLowerVolume},
            {"volume mute", Qt::Key_VolumeMute, XF86XK_AudioMute},
            {"volume up", Qt::Key_VolumeUp, XF86XK_AudioRaiseVolume},
            {"media play", Qt::Key_MediaPlay, XF86XK_AudioPlay},
            {"media stop", Qt::Key_MediaStop, XF86XK_AudioStop},
            {"media previous", Qt::Key_MediaPrevious, XF86XK_AudioPrev},
            {"media next", Qt::Key_MediaNext, XF86XK_AudioNext},
            {"media pause", Qt::Key_MediaPause, XF86XK_AudioPause},
            {"media record", Qt::Key_MediaRecord, XF86XK_AudioRecord},
            {"mic mute", Qt::Key_MicMute, XF86XK_AudioMicMute},
            {"home page", Qt::Key_HomePage, XF86XK_HomePage},
            {"calculator", Qt::Key_Calculator, XF86XK_Calculator},
            {"keypad 0", Qt::KeypadModifier | Qt::Key_0, XK_KP_0},
            {"keypad 9", Qt::KeypadModifier | Qt::Key_9, XK_KP_9},
            {"keypad plus", Qt::KeypadModifier | Qt::Key_Plus, XK_KP_Add},
            {"keypad slash", Qt::KeypadModifier | Qt::Key_Slash, XK_KP_Divide},
            {"keypad enter", Qt::KeypadModifier | Qt::Key_Enter, XK_KP_Enter},
            {"keypad comma", Qt::KeypadModifier | Qt::Key_Comma, XK_KP_Separator},
            {"keypad home", Qt::KeypadModifier | Qt::Key_Home, XK_KP_Home},
            {"keypad delete", Qt::KeypadModifier | Qt::Key_Delete, XK_KP_Delete},
            {"no key", 0, 0},
            {"shift alone", Qt::Key_Shift, 0},
            {"unknown", Qt::Key_unknown, 0},
            {"keypad letter", Qt::KeypadModifier | Qt::Key_A, 0},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.key << row.keysym;
        for (int i = 0; i <= 9; ++i)
            QTest::addRow("digit %d", i) << int(Qt::Key_0 + i) << quint32(XK_0 + i);
        for (int i = 0; i < 26; ++i)
            QTest::addRow("letter %c", 'A' + i) << int(Qt::Key_A + i) << quint32(XK_a + i);
        for (int i = 0; i < 35; ++i)
            QTest::addRow("F%d", i + 1) << int(Qt::Key_F1 + i) << quint32(XK_F1 + i);
    }
    void x11Keysyms()
    {
        QFETCH(int, key);
        QFETCH(quint32, keysym);
        QCOMPARE(x11Keysym(key), keysym);
    }

    // Every key that a key field can be given must reach a keysym.
    void x11KeysymForEveryTypedKey()
    {
        const char* const typed[] = {"F1", "Ctrl+Alt+V", "Print", "Pause", "Ins", "Del", "Home", "End",
                                     "PgUp", "PgDown", "Space", "Esc", "Backspace", "Tab", "Return",
                                     "Ctrl+,", "Alt+.", "Shift+/", "Ctrl+[", "Ctrl+]", "Ctrl+;", "Ctrl+'",
                                     "Ctrl+`", "Ctrl+-", "Ctrl+=", "Ctrl+\\", "Volume Up", "Volume Down",
                                     "Volume Mute", "Media Play", "Media Stop", "Media Next", "Media Previous",
                                     "F35", "Meta+Z", "Shift+!", "Shift+@"};
        for (const char* text : typed) {
            const Combination c = firstCombination(QKeySequence(QString::fromLatin1(text)));
            QVERIFY2(c.key != 0, text);
            QVERIFY2(x11Keysym(c.key) != 0, text);
        }
    }
#endif

    void versionText()
    {
        QCOMPARE(QByteArray(qxtVersion()), QByteArray("0.7.0"));
    }
};

QTEST_GUILESS_MAIN(TestKeyTables)
#include "tst_keytables.moc"
