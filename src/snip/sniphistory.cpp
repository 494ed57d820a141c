#include "snip/sniphistory.h"

void SnipHistory::add(const QPixmap& screenshot, const QRect& rect, std::vector<Command> commands)
{
    Entry entry{ PackedImage(screenshot.toImage()), screenshot.cacheKey(), rect, std::move(commands) };
    entry.ratio = screenshot.devicePixelRatio();
    entry.screenshot.pack();
    entries_.push_back(std::move(entry));
    while (int(entries_.size()) > LIMIT)
        entries_.erase(entries_.begin());
    index_ = int(entries_.size()) - 1;
}

int SnipHistory::stepBack()
{
    if (index_ < 0 || index_ >= int(entries_.size()))
        return -1;
    const int shown = index_;
    if (index_ > 0)
        --index_;
    return shown;
}

int SnipHistory::stepForward()
{
    const int count = int(entries_.size());
    if (index_ < 0 || index_ >= count)
        return -1;
    const int shown = index_;
    if (index_ < count - 1)
        ++index_;
    return shown;
}

QPixmap SnipHistory::screenshotOf(const Entry& entry, const QPixmap& current)
{
    if (entry.screenshotKey == current.cacheKey() && !current.isNull())
        return current;
    QPixmap restored = QPixmap::fromImage(entry.screenshot.toImage());
    restored.setDevicePixelRatio(entry.ratio);
    return restored;
}
