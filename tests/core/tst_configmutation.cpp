#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <random>

#include "core/config.h"

// Thousands of damaged variants of a real settings file, the same ones every
// run: each must load without an exception, quickly, with every value in its
// range, and save a file that parses again.
class TestConfigMutation : public QObject
{
    Q_OBJECT

    static QtMessageHandler previous;
    static void quiet(QtMsgType type, const QMessageLogContext& context, const QString& msg)
    {
        // the loader warns about every damaged value: thousands of lines
        if (type == QtFatalMsg || type == QtCriticalMsg)
            previous(type, context, msg);
    }

    std::mt19937 random{20261208};

    int below(int n) { return int(random() % unsigned(std::max(n, 1))); }

    QByteArray mutate(QByteArray text)
    {
        static const QList<QByteArray> hostile = {
            "1e400",
            "-1e400",
            "18446744073709551615",
            "18446744073709551616",
            "-9223372036854775809",
            "2147483648",
            "1e-400",
            "0.5",
            "-0",
            "\"\\ud800\"",
            "\"\xff\xfe\"",
            "\"\xc0\xaf\"",
            "\"\xed\xa0\x80\"",
            "null",
            "[]",
            "{}",
            "true",
            "\"\"",
            "\"#zzzzzz\"",
            "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[1]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]",
        };
        const int rounds = 1 + below(3);
        for (int r = 0; r < rounds && !text.isEmpty(); ++r) {
            const int at = below(text.size());
            switch (below(8)) {
            case 0: // flip bits of a byte
                text[at] = char(text[at] ^ char(1 << below(8)));
                break;
            case 1: // cut short
                text.truncate(at);
                break;
            case 2: // a random byte, often outside ASCII
                text.insert(at, char(below(256)));
                break;
            case 3: { // replace a value by one of another type or a huge number
                const int colon = text.indexOf(':', at);
                if (colon < 0)
                    break;
                int end = colon + 1;
                while (end < text.size() && text[end] != ',' && text[end] != '\r' && text[end] != '}')
                    ++end;
                text.replace(colon + 1, end - colon - 1, " " + hostile.at(below(hostile.size())));
                break;
            }
            case 4: { // nest a value deeply
                const int depth = 1 + below(20000);
                text.insert(at, QByteArray(depth, below(2) ? '[' : '{'));
                if (below(2))
                    text.append(QByteArray(depth, ']'));
                break;
            }
            case 5: // swap brackets
                text.replace(at, 1, below(2) ? "[" : "}");
                break;
            case 6: // delete a stretch
                text.remove(at, 1 + below(40));
                break;
            case 7: // duplicate a stretch
                text.insert(at, text.mid(below(text.size()), 1 + below(200)));
                break;
            }
        }
        return text;
    }

private slots:
    void initTestCase() { previous = qInstallMessageHandler(quiet); }
    void cleanupTestCase() { qInstallMessageHandler(previous); }

    void everyMutationLoadsAndSaves()
    {
        QTemporaryDir dir;
        QByteArray original;
        {
            Config config(dir.path());
            QVERIFY(config.save());
            QFile f(config.filePath());
            QVERIFY(f.open(QIODevice::ReadOnly));
            original = f.readAll();
        }
        QVERIFY(original.size() > 500);

        const QString file = dir.filePath(QStringLiteral("config.json"));
        constexpr int COUNT = 3000;
        int damaged = 0;
        qint64 slowest = 0;
        for (int i = 0; i < COUNT; ++i) {
            const QByteArray text = mutate(original);
            {
                QFile f(file);
                QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
                f.write(text);
            }
            QByteArray back;
            QElapsedTimer timer;
            timer.start();
            try {
                Config config(dir.path());
                for (int k = 0; k < Config::KeyCount; ++k) {
                    const auto key = Config::Key(k);
                    if (Config::type(key) != Config::Type::Integer)
                        continue;
                    const int value = config.integer(key);
                    QVERIFY2(value >= Config::minimum(key) && value <= Config::maximum(key),
                             qPrintable(QStringLiteral("mutation %1: %2 = %3").arg(i).arg(Config::name(key)).arg(value)));
                }
                QVERIFY(config.color(Config::SnipBorderColor).isValid());
                // a real save syncs the disk: every tenth is enough to see
                // the file, the others check the text it would hold
                if (i % 10 == 0)
                    QVERIFY2(config.save(), qPrintable(QStringLiteral("mutation %1 did not save").arg(i)));
                else
                    back = serializeConfig(config.doc());
            } catch (const std::exception& e) {
                QFAIL(qPrintable(QStringLiteral("mutation %1 threw %2").arg(i).arg(QString::fromUtf8(e.what()))));
            }
            const qint64 took = timer.elapsed();
            slowest = std::max(slowest, took);
            QVERIFY2(took < 2000, qPrintable(QStringLiteral("mutation %1 took %2 ms").arg(i).arg(took)));

            if (i % 10 == 0) {
                QFile saved(file);
                QVERIFY(saved.open(QIODevice::ReadOnly));
                back = saved.readAll();
            }
            QVERIFY2(back.size() < 4 * Config::MAX_FILE_SIZE, qPrintable(QString::number(back.size())));
            const json reread = json::parse(back.constData(), back.constData() + back.size(), nullptr, false);
            QVERIFY2(reread.is_object(), qPrintable(QStringLiteral("mutation %1 saved no object").arg(i)));

            // copies of damaged files pile up: count and clear them
            QDir folder(dir.path());
            const QStringList copies = folder.entryList({QStringLiteral("config.json.bad*")}, QDir::Files);
            damaged += copies.isEmpty() ? 0 : 1;
            for (const QString& copy : copies)
                folder.remove(copy);
        }
        qInstallMessageHandler(previous);
        qInfo() << COUNT << "mutations," << damaged << "damaged files kept, slowest load and save" << slowest << "ms";
        // the mix must reach both the damaged-file path and the per-value one
        QVERIFY(damaged > COUNT / 10);
        QVERIFY(damaged < COUNT);
    }
};

QtMessageHandler TestConfigMutation::previous = nullptr;

QTEST_GUILESS_MAIN(TestConfigMutation)
#include "tst_configmutation.moc"
