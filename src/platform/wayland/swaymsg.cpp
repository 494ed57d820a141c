#include "platform/wayland/swaymsg.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

namespace swaymsg {

bool run(const QStringList& args, QByteArray* output, int timeoutMs)
{
    QProcess process;
    process.start(QStringLiteral("swaymsg"), args);
    if (!process.waitForStarted(timeoutMs)) {
        qWarning().noquote() << "swaymsg could not be started:" << process.errorString();
        return false;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        qWarning() << "swaymsg did not answer within" << timeoutMs << "ms";
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString criteria(qint64 pid, const QString& title)
{
    // criteria values are regular expressions inside double quotes; a quote
    // in the title would end the value, so any character stands in for it
    QString pattern = QRegularExpression::escape(title);
    pattern.replace(QLatin1String("\\\""), QLatin1String("."));
    return QStringLiteral("[pid=%1 title=\"^%2$\"]").arg(pid).arg(pattern);
}

bool succeeded(const QByteArray& reply)
{
    const QJsonDocument doc = QJsonDocument::fromJson(reply);
    if (!doc.isArray() || doc.array().isEmpty())
        return false;
    for (const QJsonValue& part : doc.array()) {
        if (!part.toObject().value(QStringLiteral("success")).toBool())
            return false;
    }
    return true;
}

} // namespace swaymsg
