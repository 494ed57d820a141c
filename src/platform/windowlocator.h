#pragma once

#include <QRect>
#include <QVector>

// The desktop's visible top-level windows, topmost first, each rectangle
// inclusive and with its frame, for proposing the window under the cursor.
class WindowLocator
{
public:
    virtual ~WindowLocator() = default;
    virtual QVector<QRect> windowRects() = 0;
};

// Asks the window system itself (X11's tree, the Windows window list).
class NativeWindowLocator : public WindowLocator
{
public:
    QVector<QRect> windowRects() override;
};

// A desktop that tells nobody where its windows are: free selection only.
class NoWindowLocator : public WindowLocator
{
public:
    QVector<QRect> windowRects() override { return {}; }
};
