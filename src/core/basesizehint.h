#pragma once

#include <QObject>

// The toolkit leaves a window's base size unset, which it hands to the
// window manager scaled: under a scale factor of 2 as -2 x -2, beside a
// resize increment of 2. Some window managers (fluxbox) then size the
// window to tens of thousands of pixels and the toolkit fails to allocate
// its backing store. Every top-level window gets a base size of 0 before it
// is mapped, which is what "unset" means.
class BaseSizeHint : public QObject
{
    Q_OBJECT
public:
    // Watches every window of the application; once is enough.
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
