#include "platform/wayland/swaywindowlocator.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "platform/wayland/swaymsg.h"

namespace {

struct Views
{
    QVector<QRect> fullscreen;
    QVector<QRect> floating;
    QVector<QRect> tiled;
};

QRect rectOf(const QJsonObject& object)
{
    return QRect(object.value(QStringLiteral("x")).toInt(), object.value(QStringLiteral("y")).toInt(),
                 object.value(QStringLiteral("width")).toInt(), object.value(QStringLiteral("height")).toInt());
}

bool isView(const QJsonObject& node)
{
    // views carry the client's identity; containers and workspaces do not
    const QString type = node.value(QStringLiteral("type")).toString();
    return (type == QLatin1String("con") || type == QLatin1String("floating_con"))
        && (node.contains(QStringLiteral("app_id")) || node.contains(QStringLiteral("window_properties")))
        && node.value(QStringLiteral("nodes")).toArray().isEmpty()
        && node.value(QStringLiteral("floating_nodes")).toArray().isEmpty();
}

void collect(const QJsonObject& node, bool floating, bool hiddenWorkspace, Views* views, int depth)
{
    // a tree deeper than any real layout is not trusted further
    if (depth > 64)
        return;
    const QString type = node.value(QStringLiteral("type")).toString();
    if (type == QLatin1String("workspace")) {
        // the scratchpad lives on a workspace no output shows
        hiddenWorkspace = node.value(QStringLiteral("name")).toString() == QLatin1String("__i3_scratch");
    }
    if (isView(node)) {
        const bool visible = node.value(QStringLiteral("visible")).toBool(true);
        QRect rect = rectOf(node.value(QStringLiteral("rect")).toObject());
        const int title = node.value(QStringLiteral("deco_rect")).toObject().value(QStringLiteral("height")).toInt();
        if (title > 0)
            rect.setTop(rect.top() - title);
        if (visible && !hiddenWorkspace && !rect.isEmpty()) {
            if (node.value(QStringLiteral("fullscreen_mode")).toInt() != 0)
                views->fullscreen.append(rect);
            else if (floating)
                views->floating.append(rect);
            else
                views->tiled.append(rect);
        }
        return;
    }
    for (const QJsonValue& child : node.value(QStringLiteral("nodes")).toArray())
        collect(child.toObject(), floating, hiddenWorkspace, views, depth + 1);
    for (const QJsonValue& child : node.value(QStringLiteral("floating_nodes")).toArray())
        collect(child.toObject(), true, hiddenWorkspace, views, depth + 1);
}

} // namespace

QVector<QRect> parseSwayTree(const QByteArray& json)
{
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject())
        return {};
    Views views;
    collect(doc.object(), false, false, &views, 0);
    QVector<QRect> result = views.fullscreen;
    // floating views stack in the order they are listed, the last on top
    for (auto it = views.floating.crbegin(); it != views.floating.crend(); ++it)
        result.append(*it);
    result += views.tiled;
    return result;
}

QVector<QRect> SwayWindowLocator::windowRects()
{
    QByteArray reply;
    if (!swaymsg::run({QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_tree")}, &reply)) {
        qWarning() << "sway's window tree could not be read; free selection only";
        return {};
    }
    return parseSwayTree(reply);
}
