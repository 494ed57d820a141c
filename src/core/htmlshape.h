#pragma once

#include <QString>

// What laying out a piece of HTML would cost, estimated from the text alone
// in one pass: the text engine's time grows steeply with nesting, above all
// of tables, and a few kilobytes can keep it busy for minutes.
struct HtmlShape
{
    int depth = 0;      // deepest element nesting
    int tableDepth = 0; // deepest nesting of tables
    int elements = 0;   // opening tags
    int cells = 0;      // table cells

    static constexpr int MAX_DEPTH = 32;
    static constexpr int MAX_TABLE_DEPTH = 3;
    static constexpr int MAX_ELEMENTS = 20000;
    static constexpr int MAX_CELLS = 1000;

    bool isLayoutSafe() const
    {
        return depth <= MAX_DEPTH && tableDepth <= MAX_TABLE_DEPTH && elements <= MAX_ELEMENTS && cells <= MAX_CELLS;
    }

    // Stops counting once a limit is passed.
    static HtmlShape measure(const QString& html);
};

// The text of a piece of HTML without its markup, for showing what cannot be
// laid out: line breaks for blocks, tabs between cells, common entities decoded.
QString flattenHtml(const QString& html);
