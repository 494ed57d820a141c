#include <QtTest>

#include "core/htmlshape.h"

class TestHtmlShape : public QObject
{
    Q_OBJECT

    static QString repeat(const QString& s, int n)
    {
        QString out;
        for (int i = 0; i < n; ++i)
            out += s;
        return out;
    }

private slots:
    void measuresNestingAsTheParserWould()
    {
        HtmlShape s = HtmlShape::measure(QStringLiteral("<html><body><div><b>x</b><br><img src=a></div></body></html>"));
        QCOMPARE(s.depth, 4);
        QCOMPARE(s.tableDepth, 0);
        QCOMPARE(s.elements, 6);
        QVERIFY(s.isLayoutSafe());

        // end tags a page may leave out do not pile up
        s = HtmlShape::measure(repeat(QStringLiteral("<p>para"), 500) + repeat(QStringLiteral("<li>item"), 500));
        QVERIFY(s.depth <= 2);
        s = HtmlShape::measure(QStringLiteral("<table>") + repeat(QStringLiteral("<tr><td>a<td>b"), 100)
                               + QStringLiteral("</table>"));
        QCOMPARE(s.tableDepth, 1);
        QCOMPARE(s.cells, 200);
        QVERIFY(s.depth <= 4);

        // comments, scripts and quoted '>' hide no tags and make none
        s = HtmlShape::measure(QStringLiteral("<!-- <table><table> --><a title=\"x > y <div>\">t</a>"
                                              "<script>if (a < b) { '<table>' }</script>"));
        QCOMPARE(s.tableDepth, 0);
        QCOMPARE(s.depth, 1);
        QCOMPARE(s.elements, 2);
        // a stray end tag closes nothing
        s = HtmlShape::measure(QStringLiteral("<div><span></table>x</span></div>"));
        QCOMPARE(s.depth, 2);
    }

    void hostileNestingIsNotSafe_data()
    {
        QTest::addColumn<QString>("html");
        QTest::newRow("200 tables") << repeat(QStringLiteral("<table><tr><td>"), 200);
        QTest::newRow("4 tables") << repeat(QStringLiteral("<table><tr><td>"), 4) + QStringLiteral("x");
        QTest::newRow("20000 divs") << repeat(QStringLiteral("<div>"), 20000);
        QTest::newRow("upper case") << repeat(QStringLiteral("<TABLE><TR><TD>"), 5);
        QTest::newRow("many cells") << QStringLiteral("<table>") + repeat(QStringLiteral("<td>c</td>"), 1500);
        QTest::newRow("many elements") << repeat(QStringLiteral("<b>x</b>"), 30000);
    }

    void hostileNestingIsNotSafe()
    {
        QFETCH(QString, html);
        QVERIFY(!HtmlShape::measure(html).isLayoutSafe());
    }

    void flattensToReadableText()
    {
        QCOMPARE(flattenHtml(QStringLiteral("<p>One &amp; two</p><p>three&nbsp;&lt;4&gt; &#x263A;&#65;</p>")),
                 QStringLiteral("One & two\nthree <4> ☺A"));
        QCOMPARE(flattenHtml(QStringLiteral("<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>")),
                 QStringLiteral("a\tb\n\tc"));
        QCOMPARE(flattenHtml(QStringLiteral("<style>p { x: 1 }</style>a   b\n\n c <script>alert(1)</script>")),
                 QStringLiteral("a b c"));
        QCOMPARE(flattenHtml(QStringLiteral("1 < 2 &bogus; &#xD800;")), QStringLiteral("1 < 2 &bogus; &#xD800;"));
        // deep markup costs one pass
        const QString deep = repeat(QStringLiteral("<table><tr><td>"), 20000) + QStringLiteral("x");
        QCOMPARE(flattenHtml(deep).trimmed(), QStringLiteral("x"));
    }
};

QTEST_APPLESS_MAIN(TestHtmlShape)
#include "tst_htmlshape.moc"
