// Time to turn hostile clipboard HTML into the pin history's picture, at and
// past the limits the renderer lays out. Run under a display or offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include "core/htmlshape.h"
#include "klipora.h"

namespace {

QString nested(const QString& open, const QString& close, int depth, const QString& inner = QStringLiteral("x"))
{
    QString html;
    for (int i = 0; i < depth; ++i)
        html += open;
    html += inner;
    for (int i = 0; i < depth; ++i)
        html += close;
    return html;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QString cell = QStringLiteral("<td>cell</td><td>cell</td>");
    QString wide;
    for (int i = 0; i < 500; ++i)
        wide += QStringLiteral("<tr>") + cell + QStringLiteral("</tr>");
    QString text;
    while (text.size() < 512 * 1024)
        text += QStringLiteral("<p>") + QString(60, QLatin1Char('w')) + QStringLiteral(" word word</p>");
    QString deepInline;
    for (int i = 0; i < 400; ++i)
        deepInline += nested(QStringLiteral("<span style=\"font-size:20px\">"), QStringLiteral("</span>"), 31);
    QString many;
    for (int i = 0; i < 6000; ++i)
        many += QStringLiteral("<b>w</b><i>v</i> ");
    const struct {
        const char* name;
        QString html;
    } cases[] = {
        {"tables nested 3 (limit)", nested(QStringLiteral("<table><tr><td>"), QStringLiteral("</td></tr></table>"), 3)},
        {"512 Ki characters of paragraphs", text},
        {"400 inline runs nested 31", deepInline},
        {"tables nested 3, 500 rows inside",
         nested(QStringLiteral("<table><tr><td>"), QStringLiteral("</td></tr></table>"), 2,
                QStringLiteral("<table>") + wide + QStringLiteral("</table>"))},
        {"tables nested 200", nested(QStringLiteral("<table><tr><td>"), QStringLiteral("</td></tr></table>"), 200)},
        {"tables nested 20000", nested(QStringLiteral("<table><tr><td>"), QStringLiteral("</td></tr></table>"), 20000)},
        {"divs nested 32 (limit)", nested(QStringLiteral("<div>"), QStringLiteral("</div>"), 32)},
        {"lists nested 32 (limit)", nested(QStringLiteral("<ul><li>"), QStringLiteral("</li></ul>"), 16)},
        {"blockquotes nested 32", nested(QStringLiteral("<blockquote>"), QStringLiteral("</blockquote>"), 32)},
        {"12000 inline elements", many},
        {"img of a local file", QStringLiteral("<img src=\"file:///dev/zero\" width=20000 height=20000>")},
    };
    for (const auto& c : cases) {
        QElapsedTimer timer;
        timer.start();
        const QPixmap pixmap = renderClipboardHtml(c.html);
        const HtmlShape shape = HtmlShape::measure(c.html);
        out << c.name << ": " << timer.elapsed() << " ms, " << pixmap.width() << "x" << pixmap.height()
            << (shape.isLayoutSafe() ? " laid out" : " flattened") << Qt::endl;
    }
    return 0;
}
