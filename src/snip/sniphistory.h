#pragma once

#include <QPixmap>
#include <QRect>

#include <memory>
#include <vector>

#include "core/packedimage.h"

class PaintCommand;

// Earlier snips of an overlay: the grab, the selection and the commands of
// each, the newest last. Every entry holds a full desktop (about 33 MB raw on
// a 4K desktop, a third of that or less compressed), so only the last few
// are kept.
class SnipHistory
{
public:
    using Command = std::shared_ptr<PaintCommand>;

    struct Entry
    {
        // compressed in the background; the screenshot it was taken from is
        // used directly while it is still the current one
        PackedImage screenshot;
        qint64 screenshotKey = 0;
        QRect rect;
        std::vector<Command> commands;
        // device pixels per logical pixel of the screenshot
        qreal ratio = 1;
    };

    static constexpr int LIMIT = 5;

    // The new entry becomes the one shown next.
    void add(const QPixmap& screenshot, const QRect& rect, std::vector<Command> commands);

    // The entry to show for Page Up (older) or Page Down (newer), or -1.
    // The index moves after the entry is shown, so the first Page Up after
    // a snip shows that snip again.
    int stepBack();
    int stepForward();

    // The entry's grab, reusing the current one when it is the same.
    static QPixmap screenshotOf(const Entry& entry, const QPixmap& current);

    const std::vector<Entry>& entries() const { return entries_; }
    int index() const { return index_; }

private:
    std::vector<Entry> entries_;
    int index_ = 0;
};
