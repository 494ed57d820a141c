#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QtTest>

#include "core/framereader.h"
#include "core/instanceclient.h"
#include "core/instanceserver.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

struct ClientOutcome
{
    InstanceClient::Result result = InstanceClient::NO_ANSWER;
    int status = -1;
    QString message;
    QString error;
};

// The client blocks, so it runs beside the event loop that serves it.
ClientOutcome sendFromThread(const QStringList& args, int timeoutMs = 20000)
{
    ClientOutcome outcome;
    QThread* thread = QThread::create([&] {
        outcome.result = InstanceClient::send(args, timeoutMs, &outcome.status, &outcome.message, &outcome.error);
    });
    thread->start();
    QDeadlineTimer deadline(timeoutMs + 10000);
    while (!thread->isFinished() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    thread->wait();
    delete thread;
    return outcome;
}

} // namespace

class TestInstanceServer : public QObject
{
    Q_OBJECT
private slots:
    void framesSurviveAnySplit()
    {
        const QByteArray payload = QByteArrayLiteral("{\"args\":[\"snip\"]}");
        const QByteArray frame = FrameReader::encode(payload);
        QCOMPARE(frame.size(), FrameReader::HEADER_SIZE + payload.size());
        FrameReader reader;
        for (int i = 0; i < frame.size() - 1; ++i)
            QCOMPARE(reader.feed(frame.mid(i, 1)), FrameReader::NEED_MORE);
        QCOMPARE(reader.feed(frame.right(1)), FrameReader::FRAME);
        QCOMPARE(reader.take(), payload);

        FrameReader empty;
        QCOMPARE(empty.feed(FrameReader::encode(QByteArray())), FrameReader::FRAME);
        QVERIFY(empty.take().isEmpty());
    }

    void garbageAndOversizeAreRefusedEarly()
    {
        FrameReader garbage;
        // the first wrong byte is enough: no waiting for a length
        QCOMPARE(garbage.feed(QByteArrayLiteral("G")), FrameReader::BAD);
        QCOMPARE(garbage.feed(FrameReader::encode("{}")), FrameReader::BAD);
        QVERIFY(!garbage.errorString().isEmpty());

        QByteArray header = FrameReader::encode(QByteArray()).left(4);
        header.append("\x00\x10\x00\x01", 4); // 1 MiB + 1
        FrameReader big;
        QCOMPARE(big.feed(header), FrameReader::BAD);
        QVERIFY(big.errorString().contains(QLatin1String("over the limit")));

        FrameReader limit;
        QCOMPARE(limit.feed(FrameReader::encode(QByteArray(FrameReader::MAX_PAYLOAD, 'x')).left(200)),
                 FrameReader::NEED_MORE);
    }

    void payloadsAreCheckedForShape()
    {
        QStringList args;
        QVERIFY(decodeRequest(encodeRequest({QStringLiteral("pin"), QStringLiteral("/a b.png")}), &args));
        QCOMPARE(args, (QStringList{QStringLiteral("pin"), QStringLiteral("/a b.png")}));
        QVERIFY(!decodeRequest("[\"snip\"]", &args));
        QVERIFY(!decodeRequest("{\"args\":[1,2]}", &args));
        QVERIFY(!decodeRequest("{\"args\":\"snip\"}", &args));
        QVERIFY(!decodeRequest("not json", &args));
        int status = -1;
        QString message;
        QVERIFY(decodeReply(encodeReply(1, QStringLiteral("bad region")), &status, &message));
        QCOMPARE(status, 1);
        QCOMPARE(message, QStringLiteral("bad region"));
        QVERIFY(!decodeReply("{\"status\":\"0\",\"message\":\"\"}", &status, &message));
    }

    void oneInstanceAnswersCommands()
    {
        const QString path = InstanceServer::socketPath();
        QVERIFY(!path.isEmpty());
        QVERIFY(path.startsWith(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)));

        // nobody there yet
        ClientOutcome none = sendFromThread({QStringLiteral("snip")});
        QCOMPARE(none.result, InstanceClient::NOT_RUNNING);

        InstanceServer server;
        QStringList seen;
        server.setHandler([&seen](const QStringList& args, InstanceServer::Done done) {
            seen = args;
            if (args.value(0) == QLatin1String("later"))
                QTimer::singleShot(200, [done] { done(1, QStringLiteral("took a while")); });
            else
                done(0, QStringLiteral("ok"));
        });
        QString error;
        QCOMPARE(server.claim(&error), InstanceServer::CLAIMED);

#ifdef Q_OS_UNIX
        // the socket is the user's alone
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QVERIFY(S_ISSOCK(info.st_mode));
        QCOMPARE(int(info.st_mode & 077), 0);
        QCOMPARE(info.st_uid, ::getuid());
#endif

        // a second start finds the first
        InstanceServer second;
        QCOMPARE(second.claim(&error), InstanceServer::RUNNING);
        QVERIFY(!second.isListening());

        ClientOutcome done = sendFromThread({QStringLiteral("pin"), QStringLiteral("/x.png")});
        QCOMPARE(done.result, InstanceClient::DONE);
        QCOMPARE(done.status, 0);
        QCOMPARE(done.message, QStringLiteral("ok"));
        QCOMPARE(seen, (QStringList{QStringLiteral("pin"), QStringLiteral("/x.png")}));

        ClientOutcome later = sendFromThread({QStringLiteral("later")});
        QCOMPARE(later.result, InstanceClient::DONE);
        QCOMPARE(later.status, 1);
        QCOMPARE(later.message, QStringLiteral("took a while"));
    }

    void strangersAreDroppedAndLogged()
    {
        InstanceServer server;
        int handled = 0;
        server.setHandler([&handled](const QStringList&, InstanceServer::Done done) {
            ++handled;
            done(0, QString());
        });
        QString error;
        QCOMPARE(server.claim(&error), InstanceServer::CLAIMED);

        const auto expectDropped = [](const QByteArray& bytes, const char* why) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^dropped a command connection: ")
                                                                  + QLatin1String(why)));
            QLocalSocket socket;
            socket.connectToServer(InstanceServer::socketPath());
            QVERIFY(socket.waitForConnected(5000));
            socket.write(bytes);
            socket.flush();
            QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QLocalSocket::UnconnectedState, 10000);
            QVERIFY(socket.readAll().isEmpty());
        };
        expectDropped(QByteArrayLiteral("GET / HTTP/1.0\r\n\r\n"), "not a Klipora message");
        QByteArray huge = FrameReader::encode(QByteArray()).left(4);
        huge.append("\x7f\xff\xff\xff", 4);
        expectDropped(huge, "message of 2147483647 bytes");
        expectDropped(FrameReader::encode("[1,2,3]"), "not a request");
        QCOMPARE(handled, 0);

        // and the next good client is served as usual
        ClientOutcome good = sendFromThread({QStringLiteral("settings")});
        QCOMPARE(good.result, InstanceClient::DONE);
        QCOMPARE(good.status, 0);
        QCOMPARE(handled, 1);
    }

    void leftoverSocketOfADeadInstanceIsReplaced()
    {
        const QString path = InstanceServer::socketPath();
        {
            // what a crash leaves: the file, with nobody listening
            QFile stale(path);
            QVERIFY(stale.open(QIODevice::WriteOnly));
        }
        InstanceServer server;
        QString error;
        QCOMPARE(server.claim(&error), InstanceServer::CLAIMED);
        QVERIFY(server.isListening());
    }
};

QTEST_GUILESS_MAIN(TestInstanceServer)
#include "tst_instanceserver.moc"
