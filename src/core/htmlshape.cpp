#include "core/htmlshape.h"

#include <QStringList>

#include <vector>

namespace {

bool isVoid(const QString& name)
{
    static const QStringList names = {
        QStringLiteral("area"), QStringLiteral("base"),  QStringLiteral("br"),    QStringLiteral("col"),
        QStringLiteral("embed"), QStringLiteral("hr"),   QStringLiteral("img"),   QStringLiteral("input"),
        QStringLiteral("link"), QStringLiteral("meta"),  QStringLiteral("param"), QStringLiteral("source"),
        QStringLiteral("track"), QStringLiteral("wbr"),
    };
    return names.contains(name);
}

// Whether opening `name` ends an open `top` whose end tag was left out, as
// a new row ends the open cell and row.
bool implicitlyCloses(const QString& name, const QString& top)
{
    static const QStringList cells = {QStringLiteral("td"), QStringLiteral("th")};
    static const QStringList blocks = {
        QStringLiteral("p"),  QStringLiteral("div"), QStringLiteral("table"), QStringLiteral("ul"),
        QStringLiteral("ol"), QStringLiteral("h1"),  QStringLiteral("h2"),    QStringLiteral("h3"),
        QStringLiteral("pre"), QStringLiteral("blockquote"),
    };
    if (name == QLatin1String("tr"))
        return cells.contains(top) || top == QLatin1String("tr");
    if (cells.contains(name))
        return cells.contains(top);
    if (name == QLatin1String("li") || name == QLatin1String("dt") || name == QLatin1String("dd")
        || name == QLatin1String("option"))
        return top == name;
    return top == QLatin1String("p") && blocks.contains(name);
}

struct Tag
{
    QString name;
    bool closing = false;
    bool selfClosing = false;
    int end = 0; // index after '>'
};

// Reads the tag at html[at] == '<'; false for a lone '<' or a comment, with
// *next where scanning goes on.
bool readTag(const QString& html, int at, Tag* tag, int* next)
{
    const int n = html.size();
    if (html.midRef(at, 4) == QLatin1String("<!--")) {
        const int close = html.indexOf(QLatin1String("-->"), at + 4);
        *next = close < 0 ? n : close + 3;
        return false;
    }
    int i = at + 1;
    tag->closing = i < n && html[i] == QLatin1Char('/');
    if (tag->closing)
        ++i;
    const int nameStart = i;
    while (i < n && (html[i].isLetterOrNumber()))
        ++i;
    if (i == nameStart) {
        // "<!DOCTYPE", "<?xml" or a plain '<' in text
        const int close = html.indexOf(QLatin1Char('>'), at + 1);
        *next = (html.midRef(at + 1, 1) == QLatin1String("!") || html.midRef(at + 1, 1) == QLatin1String("?"))
                    && close >= 0
                    ? close + 1
                    : at + 1;
        return false;
    }
    tag->name = html.mid(nameStart, i - nameStart).toLower();
    QChar quote;
    for (; i < n; ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('>')) {
            break;
        }
    }
    tag->selfClosing = i > 0 && i < n && html[i - 1] == QLatin1Char('/');
    tag->end = i < n ? i + 1 : n;
    *next = tag->end;
    return true;
}

// Where the content of a raw-text element ends.
int skipRawText(const QString& html, int from, const QString& name)
{
    const int close = html.indexOf(QStringLiteral("</") + name, from, Qt::CaseInsensitive);
    return close < 0 ? html.size() : close;
}

} // namespace

HtmlShape HtmlShape::measure(const QString& html)
{
    HtmlShape shape;
    std::vector<QString> open;
    int tables = 0;
    int i = 0;
    const int n = html.size();
    while (i < n) {
        i = html.indexOf(QLatin1Char('<'), i);
        if (i < 0)
            break;
        Tag tag;
        int next = i + 1;
        if (!readTag(html, i, &tag, &next)) {
            i = next;
            continue;
        }
        i = next;
        if (tag.closing) {
            // close up to the matching element; a stray end tag closes nothing
            for (size_t k = open.size(); k-- > 0;) {
                if (open[k] == tag.name) {
                    for (size_t j = k; j < open.size(); ++j)
                        tables -= open[j] == QLatin1String("table");
                    open.resize(k);
                    break;
                }
            }
            continue;
        }
        ++shape.elements;
        if (tag.selfClosing || isVoid(tag.name)) {
            if (shape.elements > MAX_ELEMENTS)
                return shape;
            continue;
        }
        while (!open.empty() && implicitlyCloses(tag.name, open.back()))
            open.pop_back();
        open.push_back(tag.name);
        if (tag.name == QLatin1String("table"))
            ++tables;
        else if (tag.name == QLatin1String("td") || tag.name == QLatin1String("th"))
            ++shape.cells;
        shape.depth = std::max(shape.depth, int(open.size()));
        shape.tableDepth = std::max(shape.tableDepth, tables);
        if (!shape.isLayoutSafe())
            return shape;
        if (tag.name == QLatin1String("script") || tag.name == QLatin1String("style"))
            i = skipRawText(html, i, tag.name);
    }
    return shape;
}

QString flattenHtml(const QString& html)
{
    QString out;
    out.reserve(html.size() / 2);
    int i = 0;
    const int n = html.size();
    while (i < n) {
        const QChar c = html[i];
        if (c == QLatin1Char('<')) {
            Tag tag;
            int next = i + 1;
            if (!readTag(html, i, &tag, &next)) {
                if (next == i + 1)
                    out += c; // a '<' in text
                i = next;
                continue;
            }
            i = next;
            if (!tag.closing && (tag.name == QLatin1String("script") || tag.name == QLatin1String("style"))) {
                i = skipRawText(html, i, tag.name);
                continue;
            }
            static const QStringList blocks = {
                QStringLiteral("br"), QStringLiteral("p"),  QStringLiteral("div"), QStringLiteral("tr"),
                QStringLiteral("li"), QStringLiteral("h1"), QStringLiteral("h2"),  QStringLiteral("h3"),
                QStringLiteral("table"), QStringLiteral("pre"), QStringLiteral("blockquote"),
            };
            if (blocks.contains(tag.name) && !out.endsWith(QLatin1Char('\n')) && !out.isEmpty())
                out += QLatin1Char('\n');
            else if ((tag.name == QLatin1String("td") || tag.name == QLatin1String("th")) && !tag.closing)
                out += QLatin1Char('\t');
            continue;
        }
        if (c == QLatin1Char('&')) {
            const int semi = html.indexOf(QLatin1Char(';'), i);
            if (semi > i && semi - i <= 10) {
                const QString entity = html.mid(i + 1, semi - i - 1);
                QString decoded;
                if (entity == QLatin1String("amp"))
                    decoded = QStringLiteral("&");
                else if (entity == QLatin1String("lt"))
                    decoded = QStringLiteral("<");
                else if (entity == QLatin1String("gt"))
                    decoded = QStringLiteral(">");
                else if (entity == QLatin1String("quot"))
                    decoded = QStringLiteral("\"");
                else if (entity == QLatin1String("apos"))
                    decoded = QStringLiteral("'");
                else if (entity == QLatin1String("nbsp"))
                    decoded = QStringLiteral(" ");
                else if (entity.startsWith(QLatin1Char('#'))) {
                    bool ok = false;
                    const uint code = entity.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)
                                          ? entity.midRef(2).toUInt(&ok, 16)
                                          : entity.midRef(1).toUInt(&ok, 10);
                    if (ok && code > 0 && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff))
                        decoded = QString::fromUcs4(&code, 1);
                }
                if (!decoded.isNull()) {
                    out += decoded;
                    i = semi + 1;
                    continue;
                }
            }
        }
        // runs of white space are one space, as in a browser
        if (c.isSpace()) {
            if (!out.isEmpty() && !out.endsWith(QLatin1Char(' ')) && !out.endsWith(QLatin1Char('\n'))
                && !out.endsWith(QLatin1Char('\t')))
                out += QLatin1Char(' ');
        } else {
            out += c;
        }
        ++i;
    }
    return out.trimmed();
}
