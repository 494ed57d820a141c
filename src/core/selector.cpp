#include "core/selector.h"

#include "core/desktopgrab.h"
#include "core/devicepixels.h"
#include "core/devicepointer.h"
#include "core/displayinfo.h"
#include "core/movecoalescer.h"
#include "core/outlinestrips.h"
#include "core/placement.h"
#include "core/regionblit.h"
#include "core/windowdetect.h"

#include <QDebug>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

#include "platform/services.h"
#include "platform/windowhints.h"

namespace {

bool compositingManagerRunning()
{
    return platform::windowHints().translucencyShown();
}

enum Edge { TOP, BOTTOM, LEFT, RIGHT };

} // namespace

SizeInfoWidget::SizeInfoWidget(QWidget* parent)
    : QWidget(parent)
    , label(new QLabel(this))
{
    label->move(0, 0);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(QFont(QStringLiteral("Consolas"), 10));
    // 100 x 24 holds the widest read-out at ordinary font sizes; a large
    // font (a high Xft.dpi, a substitute for the font) gets what it needs.
    const QFontMetrics metrics(label->font());
    const QSize needed(metrics.horizontalAdvance(QStringLiteral("88888 x 88888")) + 8, metrics.height() + 6);
    label->setFixedSize(needed.expandedTo(QSize(100, 24)));
    // the panel keeps its margin below the text
    setFixedSize(label->size() + QSize(0, 6));
    QPalette palette = label->palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group)
        palette.setColor(QPalette::ColorGroup(group), QPalette::WindowText, Qt::white);
    label->setPalette(palette);
}

void SizeInfoWidget::showSize(const QSize& s)
{
    label->setText(QString::number(s.width()) + QStringLiteral(" x ") + QString::number(s.height()));
}

QString SizeInfoWidget::text() const
{
    return label->text();
}

void SizeInfoWidget::paintEvent(QPaintEvent*)
{
    painter.begin(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 200));
    painter.end();
}

Selector::Selector(QWidget* parent)
    : QWidget(parent)
    , info(new SizeInfoWidget(this))
    , pen(QBrush(Qt::cyan), 1.0, Qt::DashDotLine, Qt::SquareCap, Qt::MiterJoin)
    , maskColor(0, 0, 0, 100)
    , moves(new MoveCoalescer(this))
{
    info->hide();
    devicepointer::install();
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::Window | Qt::BypassWindowManagerHint | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    DisplayInfo* display = DisplayInfo::instance();
    setFixedSize(DisplayInfo::maxSize());

    // The box keeps the movement bounds it was built with. The selector is
    // the context: the display object outlives every selector.
    connect(display, &DisplayInfo::changed, this, [this]() { setFixedSize(DisplayInfo::maxSize()); });
    connect(this, &Selector::moved, this, &Selector::requestRepaint);
    connect(this, &Selector::resized, this, &Selector::requestRepaint);
    connect(moves, &MoveCoalescer::due, this, &Selector::handOnMove);

    addShortcut(QKeySequence(QStringLiteral("W")), [this]() { box.move(0, -1); emit moved(); });
    addShortcut(QKeySequence(QStringLiteral("S")), [this]() { box.move(0, 1); emit moved(); });
    addShortcut(QKeySequence(QStringLiteral("A")), [this]() { box.move(-1, 0); emit moved(); });
    addShortcut(QKeySequence(QStringLiteral("D")), [this]() { box.move(1, 0); emit moved(); });
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up), [this]() { nudgeEdge(TOP, -1); });
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down), [this]() { nudgeEdge(BOTTOM, 1); });
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Left), [this]() { nudgeEdge(LEFT, -1); });
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Right), [this]() { nudgeEdge(RIGHT, 1); });
    addShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Up), [this]() { nudgeEdge(TOP, 1); });
    addShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Down), [this]() { nudgeEdge(BOTTOM, -1); });
    addShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Left), [this]() { nudgeEdge(LEFT, 1); });
    addShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Right), [this]() { nudgeEdge(RIGHT, -1); });

    auto* selectAll = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_A), this);
    selectAll->setContext(Qt::WindowShortcut);
    connect(selectAll, &QShortcut::activated, [this]() {
        if (status > CAPTURED)
            return;
        box.setRect(rect());
        info->show();
        emit resized();
        status = CAPTURED;
        emit captured();
    });
}

void Selector::addShortcut(const QKeySequence& keys, std::function<void()> action)
{
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, [this, action]() {
        if (status == CAPTURED)
            action();
    });
}

void Selector::nudgeEdge(int edge, int delta)
{
    int& top = box.y1 < box.y2 ? box.y1 : box.y2;
    int& bottom = box.y2 < box.y1 ? box.y1 : box.y2;
    int& left = box.x1 < box.x2 ? box.x1 : box.x2;
    int& right = box.x2 < box.x1 ? box.x1 : box.x2;
    // Edges are inclusive: the last row and column are height() - 1 and
    // width() - 1; one more would select pixels beyond the desktop.
    switch (edge) {
    case TOP:
        top = delta < 0 ? qMax(top + delta, 0) : qMin(top + delta, bottom);
        break;
    case BOTTOM:
        bottom = delta > 0 ? qMin(bottom + delta, height() - 1) : qMax(bottom + delta, top);
        break;
    case LEFT:
        left = delta < 0 ? qMax(left + delta, 0) : qMin(left + delta, right);
        break;
    case RIGHT:
        right = delta > 0 ? qMin(right + delta, width() - 1) : qMax(right + delta, left);
        break;
    }
    emit resized();
}

void Selector::start()
{
    if (status != IDLE)
        return;
    status = STARTED;
    // The fastest screen sets the pace: none of them goes a refresh without
    // the newest position.
    qreal hz = 0;
    for (const QScreen* screen : QGuiApplication::screens())
        hz = qMax(hz, screen->refreshRate());
    moves->setInterval(MoveCoalescer::intervalFor(hz));
    setMouseTracking(true);
    if (useDetectWindow) {
        refreshWindowRects();
        box.setRect(detectWindowRect());
        info->show();
    }
    // Taken before the overlay is shown, so the overlay is not in it.
    if (!paintsCanvas && background.isNull() && !compositingManagerRunning())
        background = grabDesktop(QRect(QPoint(0, 0), size()));
    lastFootprint = QRegion();
    // The overlay bypasses the window manager: nobody places it for us.
    move(0, 0);
    show();
    platform::windowHints().coverDesktop(this, QPoint(0, 0));
    // Mapping keeps the place in the stack the window was created at; any
    // window raised since would stay above the overlay.
    raise();
    activateWindow();
    takeKeyboard(50);
}

void Selector::takeKeyboard(int triesLeft)
{
    if (status == IDLE || !isVisible())
        return;
    activateWindow();
    grabKeyboard();
    // The grab fails until the window is viewable; try again shortly.
    if (windowHandle() && !windowHandle()->setKeyboardGrabEnabled(true) && triesLeft > 0)
        QTimer::singleShot(20, this, [this, triesLeft]() { takeKeyboard(triesLeft - 1); });
}

void Selector::exit()
{
    status = IDLE;
    box.x1 = box.y1 = box.x2 = box.y2 = 0;
    info->hide();
    repaint();
    setMouseTracking(false);
    releaseKeyboard();
    hide();
    background = QPixmap();
    dropDimmed();
}

bool Selector::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        // Only what the window system sends: a move sent from inside the
        // program is handled as it comes.
        const auto* move = static_cast<const QMouseEvent*>(event);
        if (event->spontaneous() && mergesMoves(*move) && moves->hold(*move))
            return true;
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        moves->flush();
        break;
    case QEvent::Hide:
        // a closed overlay handles no more moves
        moves->drop();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool Selector::mergesMoves(const QMouseEvent&) const
{
    return true;
}

void Selector::handOnMove(const QMouseEvent& held)
{
    // sent, so no longer spontaneous: it is not held again
    QMouseEvent move(held);
    QCoreApplication::sendEvent(this, &move);
}

void Selector::warmUp()
{
    // a tool in use has paid for all of it already
    if (status != IDLE || isVisible())
        return;
    ensurePolished();
    // Created, not mapped: nothing shows and the server holds no pixels yet.
    winId();
    // Renders the size read-out once so its font is loaded.
    QImage scratch(info->size(), QImage::Format_ARGB32_Premultiplied);
    info->showSize(QSize(0, 0));
    info->render(&scratch);
}

void Selector::setBorderColor(const QColor& color)
{
    pen.setColor(color);
}

void Selector::setBorderWidth(int width)
{
    pen.setWidth(width);
}

void Selector::setBorderStyle(Qt::PenStyle s)
{
    pen.setStyle(s);
}

void Selector::setMaskColor(const QColor& color)
{
    maskColor = color;
    dropDimmed();
}

void Selector::setUseDetectWindow(bool use)
{
    useDetectWindow = use;
}

void Selector::drawSelector(QPainter* p, Resizer r)
{
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setBrush(Qt::NoBrush);
    p->setPen(QPen(QBrush(Qt::black), 1.0, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
    p->drawRect(r.rect());
    p->setPen(QPen(QBrush(Qt::black), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    p->drawRects(r.anchors());
}

void Selector::updateTheme(const SelectorTheme& theme)
{
    pen.setColor(theme.borderColor);
    pen.setWidth(theme.borderWidth);
    pen.setStyle(theme.borderStyle);
    maskColor = theme.maskColor;
    dropDimmed();
}

void Selector::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || status == LOCKED)
        return;
    const QPoint pos = pointerPixel(event);
    pressCode = box.position(pos);
    switch (status) {
    case STARTED:
        box.x1 = box.x2 = pos.x();
        box.y1 = box.y2 = pos.y();
        info->show();
        status = SELECTING;
        requestRepaint();
        break;
    case CAPTURED:
        if (pressCode == Resizer::INSIDE) {
            moveStartPoint = moveEndPoint = pos;
            status = MOVING;
        } else if (pressCode & Resizer::GRABBED) {
            resizeStartPoint = resizeEndPoint = pos;
            status = RESIZING;
        }
        break;
    default:
        qCritical() << "error status";
        break;
    }
}

QPoint Selector::pointerDevicePixel(const QMouseEvent* event) const
{
    const qreal factor = devicepixels::desktopFactor();
    QPoint device;
    // Only if it is the position of this event: the toolkit rounds it.
    if (devicepointer::last(&device) && (QPointF(device) / factor).toPoint() == event->globalPos())
        return device;
    return devicepixels::devicePixelAt(event->screenPos(), factor);
}

QPoint Selector::pointerPixel(const QMouseEvent* event) const
{
    const qreal factor = devicepixels::desktopFactor();
    if (factor == 1)
        return event->pos();
    return devicepixels::toLogical(pointerDevicePixel(event), factor) - mapToGlobal(QPoint(0, 0));
}

void Selector::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = pointerPixel(event);
    switch (status) {
    case STARTED:
        if (useDetectWindow) {
            // the event knows where the pointer is: no round trip to the server
            const QRect detected = detectWindowRect(event->globalPos());
            if (detected != box.rect()) {
                box.setRect(detected);
                requestRepaint();
            }
        }
        if (cursor().shape() != Qt::CrossCursor)
            setCursor(Qt::CrossCursor);
        break;
    case SELECTING:
        box.x2 = pos.x();
        box.y2 = pos.y();
        requestRepaint();
        break;
    case CAPTURED: {
        Qt::CursorShape shape = cursor().shape();
        switch (box.absolutePosition(pos)) {
        case Resizer::INSIDE:
            shape = Qt::SizeAllCursor;
            break;
        case Resizer::OUTSIDE:
            shape = Qt::ForbiddenCursor;
            break;
        case Resizer::ADJUST_LEFT:
        case Resizer::ADJUST_RIGHT:
        case Resizer::ADJUST_ANCHOR_LEFT:
        case Resizer::ADJUST_ANCHOR_RIGHT:
            shape = Qt::SizeHorCursor;
            break;
        case Resizer::ADJUST_TOP:
        case Resizer::ADJUST_BOTTOM:
        case Resizer::ADJUST_ANCHOR_TOP:
        case Resizer::ADJUST_ANCHOR_BOTTOM:
            shape = Qt::SizeVerCursor;
            break;
        case Resizer::ADJUST_ANCHOR_TOP_LEFT:
        case Resizer::ADJUST_ANCHOR_BOTTOM_RIGHT:
            shape = Qt::SizeFDiagCursor;
            break;
        case Resizer::ADJUST_ANCHOR_TOP_RIGHT:
        case Resizer::ADJUST_ANCHOR_BOTTOM_LEFT:
            shape = Qt::SizeBDiagCursor;
            break;
        default: // rotate: left as it is
            break;
        }
        if (shape != cursor().shape())
            setCursor(shape);
        break;
    }
    case MOVING:
        moveEndPoint = pos;
        dragStep();
        moveStartPoint = pos;
        emit moved();
        break;
    case RESIZING:
        resizeEndPoint = pos;
        dragStep();
        resizeStartPoint = pos;
        emit resized();
        break;
    default:
        break;
    }
}

void Selector::dragStep()
{
    if (status == MOVING) {
        box.move(moveEndPoint.x() - moveStartPoint.x(), moveEndPoint.y() - moveStartPoint.y());
        return;
    }
    if (status != RESIZING)
        return;
    const int dx = resizeEndPoint.x() - resizeStartPoint.x();
    const int dy = resizeEndPoint.y() - resizeStartPoint.y();
    switch (pressCode) {
    case Resizer::BORDER_X1:
    case Resizer::ANCHOR_X1:
        box.x1 += dx;
        break;
    case Resizer::BORDER_X2:
    case Resizer::ANCHOR_X2:
        box.x2 += dx;
        break;
    case Resizer::BORDER_Y1:
    case Resizer::ANCHOR_Y1:
        box.y1 += dy;
        break;
    case Resizer::BORDER_Y2:
    case Resizer::ANCHOR_Y2:
        box.y2 += dy;
        break;
    case Resizer::ANCHOR_X1Y1:
        box.x1 += dx;
        box.y1 += dy;
        break;
    case Resizer::ANCHOR_X1Y2:
        box.x1 += dx;
        box.y2 += dy;
        break;
    case Resizer::ANCHOR_X2Y1:
        box.x2 += dx;
        box.y1 += dy;
        break;
    case Resizer::ANCHOR_X2Y2:
        box.x2 += dx;
        box.y2 += dy;
        break;
    default:
        break;
    }
}

void Selector::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    switch (status) {
    case SELECTING:
        if (box.x1 == box.x2 && box.y1 == box.y2 && useDetectWindow) {
            box.setRect(detectWindowRect());
            requestRepaint();
        }
        status = CAPTURED;
        emit captured();
        break;
    case MOVING:
    case RESIZING:
        status = CAPTURED;
        emit captured();
        break;
    default:
        break;
    }
}

QRegion Selector::selectionFootprint() const
{
    // A ring over the border and the handle squares with their outline; the
    // inside of a large selection does not change with them. An outline drawn
    // for a rectangle reaches one pixel past its right and bottom, and the pen
    // spreads half its width to either side: two pixels more are spare. The
    // handles reach three more. One plain ring is a handful of rectangles to
    // repaint, where squares sticking out of a thin one would split it into
    // dozens, each with its own costs.
    const int pad = pen.width() / 2 + 2 + 3;
    const QRect r = box.rect().adjusted(0, 0, 1, 1);
    QRegion region(r.adjusted(-pad, -pad, pad, pad));
    const QRect inner = r.adjusted(pad, pad, -pad, -pad);
    if (inner.isValid())
        region -= QRegion(inner);
    return region;
}

void Selector::placeSizeInfo()
{
    if (!useDetectWindow && status < SELECTING)
        return;
    const QRect r = box.rect();
    // the size of the image the selection gives, in device pixels
    info->showSize(devicepixels::toDevice(r).size());
    const QRect screen = placement::screenAtCorner(DisplayInfo::screenRects(), r, r.topLeft());
    info->move(placement::sizeLabel(r, info->size(), screen, sizeInfoObstacle()));
}

void Selector::requestRepaint()
{
    // Moved and retexted before the paint, so its own repaint and what it
    // uncovers join this one instead of asking for another.
    placeSizeInfo();
    if (lastFootprint.isEmpty()) {
        update();
        return;
    }
    // pixels that went in or out of the mask
    const QRegion masked = QRegion(lastRect).xored(QRegion(box.rect()));
    update(lastFootprint | selectionFootprint() | masked);
}

bool Selector::dimsFrom(const QPixmap& base)
{
    if (base.isNull()) {
        dropDimmed();
        return false;
    }
    if (dimmed.isNull() || base.cacheKey() != dimmedBase.cacheKey()) {
        dimmed = QPixmap();
        dimmedBase = base;
        // after this paint is out: the first frame does not wait for it
        if (!dimmedQueued) {
            dimmedQueued = true;
            QTimer::singleShot(0, this, &Selector::buildDimmed);
        }
    }
    dimmedInUse = !dimmed.isNull();
    return dimmedInUse;
}

void Selector::dropDimmed()
{
    dimmedBase = QPixmap();
    dimmed = QPixmap();
    dimmedInUse = false;
}

void Selector::buildDimmed()
{
    dimmedQueued = false;
    if (dimmedBase.isNull() || status == IDLE)
        return;
    // The same steps as the paint below, so the pixels come out the same.
    QPixmap out(dimmedBase.size());
    out.setDevicePixelRatio(dimmedBase.devicePixelRatio());
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawPixmap(0, 0, dimmedBase);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const QRect& d : DisplayInfo::unshownArea())
        p.fillRect(d, Qt::black);
    p.fillRect(QRect(QPoint(0, 0), size()), maskColor);
    p.end();
    dimmed = out;
}

void Selector::paintEvent(QPaintEvent* event)
{
    painter.begin(this);
    const QRect r = box.rect();
    const QRegion dirty = event->region();
    const QRegion footprint = selectionFootprint();
    const bool fromDimmed = dimmedInUse || (!paintsCanvas && dimsFrom(background));
    dimmedInUse = false;
    if (fromDimmed) {
        blitRegion(&painter, dirty - QRegion(r), dimmed);
        if (!paintsCanvas)
            blitRegion(&painter, dirty & QRegion(r), background);
    } else if (!paintsCanvas && !background.isNull()) {
        blitRegion(&painter, dirty, background);
    }
    // What no monitor shows is plain mask, whatever the grab found there.
    const QRegion unshown = DisplayInfo::unshownArea();
    if (!unshown.isEmpty()) {
        for (const QRect& d : unshown & dirty & (fromDimmed ? QRegion(r) : QRegion(rect())))
            painter.fillRect(d, Qt::black);
    }
    if (!fromDimmed) {
        painter.fillRect(QRect(0, 0, width(), r.y()), maskColor);
        painter.fillRect(QRect(0, r.y(), r.x(), r.height()), maskColor);
        painter.fillRect(QRect(r.x() + r.width(), r.y(), width() - r.width() - r.x(), r.height()), maskColor);
        painter.fillRect(QRect(0, r.y() + r.height(), width(), height() - r.height() - r.y()), maskColor);
    }
    if (useDetectWindow || status >= SELECTING) {
        // a no-op unless the box changed without requestRepaint()
        placeSizeInfo();
        if (dirty.intersects(footprint)) {
            if (painter.device()->devicePixelRatioF() == 1.0
                && outline.setPen(pen, std::max(width(), height()) + 1)) {
                if (!paintsCanvas)
                    painter.fillRect(r, QColor(0, 0, 0, 1));
                outline.draw(&painter, r, dirty);
                // each handle a square of the border's colour, its outline
                // included (a dashed one would leave a pixel or two out)
                for (const QRect& a : box.anchors())
                    painter.fillRect(a.adjusted(0, 0, 1, 1), pen.color());
            } else {
                painter.setPen(pen);
                painter.setBrush(QBrush(QColor(0, 0, 0, 1)));
                painter.drawRect(r);
                painter.setBrush(QBrush(pen.color()));
                painter.drawRects(box.anchors());
            }
        } else {
            // Border and handles lie outside what is repainted: only the
            // inside's tint is due, without stroking the whole outline.
            if (!paintsCanvas)
                painter.fillRect(r, QColor(0, 0, 0, 1));
        }
    }
    painter.end();
    lastFootprint = footprint;
    lastRect = r;
    modified = 0;
}
