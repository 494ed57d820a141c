#include "core/imagewindow.h"

#include "core/devicepixels.h"
#include "core/screenlayout.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDebug>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QScreen>
#include <QPainter>
#include <QShortcut>
#include <QUrl>
#include <QWheelEvent>

#include "platform/services.h"
#include "platform/windowhints.h"

#include "core/desktopgrab.h"
#include "core/imagesaver.h"

#include <algorithm>
#include <vector>
#include <cmath>

#include "core/imagebudget.h"

namespace {

const char* const MESSAGE_TITLE = "Klipora<PICTURE>";

// Without a compositor X draws a translucent window's clear pixels black.
bool translucencyShown()
{
    return platform::windowHints().translucencyShown();
}

} // namespace

namespace imagewindow {

QSize zoomedSize(const QSize& image, double zoom)
{
    return QSize(qRound(image.width() * zoom), qRound(image.height() * zoom));
}

QSize frameSize(const QSize& image, double zoom, bool thumbnail)
{
    const int side = thumbnail ? ImageWindow::THUMBNAIL_SIDE : 0;
    const QSize inner = thumbnail ? QSize(side, side) : zoomedSize(image, zoom);
    return inner + QSize(2 * ImageWindow::MARGIN, 2 * ImageWindow::MARGIN);
}

QPointF exactCentre(const QRect& rect)
{
    return QPointF(rect.x() + rect.width() / 2.0, rect.y() + rect.height() / 2.0);
}

QRect centredAt(const QPointF& centre, const QSize& size)
{
    return QRect(QPoint(qRound(centre.x() - size.width() / 2.0), qRound(centre.y() - size.height() / 2.0)), size);
}

QRect thumbnailSource(const QSize& scaled)
{
    const int half = ImageWindow::THUMBNAIL_SIDE / 2;
    return QRect(scaled.width() / 2 - half, scaled.height() / 2 - half, ImageWindow::THUMBNAIL_SIDE,
                 ImageWindow::THUMBNAIL_SIDE);
}

double wheelStep(int angleDelta)
{
    return angleDelta / 12000.0;
}

double nextZoom(double zoom, int angleDelta, const QSize& image)
{
    const double next = std::max(ImageWindow::MIN_ZOOM, zoom + wheelStep(angleDelta));
    if (next > zoom) {
        // No fixed ceiling, but a window beyond this cannot be backed by
        // memory sensibly (nor mapped at all past X's 32767 limit).
        const QSize grown = zoomedSize(image, next);
        if (grown.width() > MAX_ZOOMED_SIDE || grown.height() > MAX_ZOOMED_SIDE)
            return zoom;
    }
    return next;
}

double nextOpacity(double opacity, int angleDelta)
{
    return std::clamp(opacity + wheelStep(angleDelta), ImageWindow::MIN_OPACITY, 1.0);
}

int percent(double value)
{
    // Truncated as the user reads it, but 0.01 added ten times is a hair
    // under 1.1 in binary: do not let that show as 109%.
    return static_cast<int>(std::floor(value * 100.0 + 1e-6));
}

bool isDroppableSuffix(const QString& suffix)
{
    static const QStringList suffixes = QStringLiteral("jpg;png;jpeg;JPG;PNG;JPEG;bmp;BMP").split(QLatin1Char(';'));
    return suffixes.contains(suffix, Qt::CaseSensitive);
}

QImage shadowImage(const QSize& window)
{
    const int m = ImageWindow::MARGIN;
    const double sigma = m / 2.5; // fades out by the outer edge of the margin
    const double scale = 1.0 / (sigma * std::sqrt(2.0));
    // A blurred rectangle is separable: alpha(x, y) = coverage(x) * coverage(y).
    const auto coverage = [&](int length) {
        std::vector<double> c(std::max(length, 0));
        for (int t = 0; t < length; ++t) {
            const double centre = t + 0.5;
            c[t] = 0.5 * (std::erf((centre - m) * scale) - std::erf((centre - (length - m)) * scale));
        }
        return c;
    };
    const std::vector<double> cx = coverage(window.width());
    const std::vector<double> cy = coverage(window.height());
    QImage image(window, QImage::Format_ARGB32_Premultiplied);
    const QColor colour(QStringLiteral("#409eff"));
    for (int y = 0; y < window.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < window.width(); ++x) {
            const double a = std::clamp(cx[x] * cy[y], 0.0, 1.0);
            line[x] = qRgba(qRound(colour.red() * a), qRound(colour.green() * a), qRound(colour.blue() * a),
                            qRound(255 * a));
        }
    }
    return image;
}

ToolbarPlace toolbarPlace(const QRect& window, const QSize& toolbar, const QRect& screen)
{
    const int m = ImageWindow::MARGIN;
    ToolbarPlace place;
    place.pos = QPoint(window.right() - m - toolbar.width(), window.bottom() + 5 - m);
    if (screen.isEmpty())
        return place;
    // The option menus hang below the toolbar, 3 pixels apart, as tall as it.
    const int below = toolbar.height() + 3 + toolbar.height();
    if (place.pos.y() + below - 1 > screen.bottom()) {
        place.submenusAbove = true;
        place.pos.setY(std::min(place.pos.y(), screen.bottom() + 1 - toolbar.height()));
        place.pos.setY(std::max(place.pos.y(), screen.top() + toolbar.height() + 3));
    }
    place.pos.setX(std::clamp(place.pos.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - toolbar.width())));
    return place;
}

} // namespace imagewindow

ImageWindow::ImageWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);

    settle_.setSingleShot(true);
    settle_.setInterval(150);
    connect(&settle_, &QTimer::timeout, this, QOverload<>::of(&QWidget::update));

    const auto shortcut = [this](const QKeySequence& keys, void (ImageWindow::*slot)()) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence(Qt::CTRL + Qt::Key_C), &ImageWindow::copy);
    shortcut(QKeySequence(Qt::CTRL + Qt::Key_V), &ImageWindow::paste);
    shortcut(QKeySequence(Qt::CTRL + Qt::Key_S), &ImageWindow::saveAs);
    shortcut(QKeySequence(Qt::CTRL + Qt::Key_O), &ImageWindow::open);

    // Sized now, so that placing it before it is first shown is right.
    editMenu_.adjustSize();
    connect(&editMenu_, &ImageEditMenu::save, this, &ImageWindow::saveAs);
    connect(&editMenu_, &ImageEditMenu::exit, this, &ImageWindow::stopEditing);
    // Pinned images are not annotated: ok, pin, undo and redo do nothing.
}

void ImageWindow::edit()
{
    if (thumbnail_)
        return;
    editing_ = true;
    editMenu_.show();
    placeEditMenu();
}

void ImageWindow::stopEditing()
{
    editMenu_.hide();
    editing_ = false;
}

void ImageWindow::placeEditMenu()
{
    // The monitor that shows most of the window; its centre may be where no
    // monitor shows.
    QVector<QRect> geometries;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* s : screens)
        geometries.append(s->geometry());
    const int index = geometries.indexOf(screenlayout::screenFor(geometries, geometry()));
    const QScreen* screen = index >= 0 ? screens[index] : QGuiApplication::primaryScreen();
    const imagewindow::ToolbarPlace place = imagewindow::toolbarPlace(
        geometry(), editMenu_.size(), screen ? screen->availableGeometry() : QRect());
    // The flag first: moving the toolbar re-places an open option menu.
    editMenu_.setSubmenusAbove(place.submenusAbove);
    editMenu_.move(place.pos);
}

void ImageWindow::moveEvent(QMoveEvent* event)
{
    placeEditMenu();
    QWidget::moveEvent(event);
}

void ImageWindow::resizeEvent(QResizeEvent* event)
{
    // A pasted or opened image changes the size with the top-left fixed.
    placeEditMenu();
    QWidget::resizeEvent(event);
}

void ImageWindow::hideEvent(QHideEvent* event)
{
    // Closing the window must not leave its toolbar floating on its own.
    stopEditing();
    QWidget::hideEvent(event);
}

ImageWindow::~ImageWindow() = default;

QSize ImageWindow::windowSize() const
{
    return imagewindow::frameSize(imageSize_, zoom_, thumbnail_);
}

void ImageWindow::resizeAboutCentre()
{
    // Every geometry set here is centred on the anchor within half a pixel,
    // so a window further off was moved by someone else (a drag, the window
    // manager) and is anchored afresh.
    const QPointF centre = imagewindow::exactCentre(geometry());
    if (!anchored_ || std::abs(centre.x() - anchor_.x()) > 1.0 || std::abs(centre.y() - anchor_.y()) > 1.0) {
        anchor_ = centre;
        anchored_ = true;
    }
    setGeometry(imagewindow::centredAt(anchor_, windowSize()));
}

void ImageWindow::takeImage(const QPixmap& image)
{
    // A snip straight from a grab: its pad byte becomes alpha in this
    // translucent window.
    image_ = image;
    if (!image.hasAlpha() && !image.isNull()) {
        const QImage pixels = image.toImage();
        const QImage opaque = withOpaquePad(pixels);
        if (opaque.constBits() != pixels.constBits())
            image_ = QPixmap::fromImage(opaque);
    }
    // One image pixel per device pixel: a snip shows as large as what it
    // was taken from, also on a scaled desktop.
    const qreal ratio = devicepixels::desktopFactor();
    if (ratio != 1 && !image_.isNull())
        image_.setDevicePixelRatio(ratio);
    imageSize_ = image.isNull() ? image.size() : (QSizeF(image.size()) / ratio).toSize().expandedTo(QSize(1, 1));
    anchored_ = false;
    // Sized for the zoom and mode in force, so that what is painted always
    // fits the window; the top-left corner stays where it is.
    resize(windowSize());
    update();
}

void ImageWindow::setZoom(double zoom)
{
    zoom_ = std::max(MIN_ZOOM, zoom);
    anchored_ = false;
    resize(windowSize());
    update();
}

bool ImageWindow::setImage(const QPixmap& image)
{
    if (image.isNull()) {
        qWarning() << "refusing an empty image";
        return false;
    }
    takeImage(image);
    show();
    activateWindow();
    return true;
}

QPixmap ImageWindow::loadImage(const QString& path)
{
    const imagebudget::Result read = imagebudget::readFile(path);
    if (read.failure == imagebudget::Failure::TooLarge) {
        qWarning() << "image too large:" << path << read.size;
        emit SHOW_MESSAGE(QString::fromLatin1(MESSAGE_TITLE),
                          tr("The image is too large to open: %1").arg(QDir::toNativeSeparators(path)),
                          QSystemTrayIcon::Warning, 10000);
        return QPixmap();
    }
    if (read.image.isNull()) {
        qWarning() << "not an image:" << path;
        emit SHOW_MESSAGE(QString::fromLatin1(MESSAGE_TITLE),
                          tr("Cannot open image: %1").arg(QDir::toNativeSeparators(path)),
                          QSystemTrayIcon::Warning, 10000);
        return QPixmap();
    }
    return QPixmap::fromImage(read.image);
}

bool ImageWindow::openFile(const QString& path)
{
    const QPixmap image = loadImage(path);
    if (image.isNull())
        return false;
    takeImage(image);
    return true;
}

bool ImageWindow::saveTo(const QString& path)
{
    QString error;
    if (ImageSaver::save(image_.toImage(), path, &error)) {
        qInfo() << "saved" << path;
        return true;
    }
    emit SHOW_MESSAGE(QString::fromLatin1(MESSAGE_TITLE),
                      ImageSaver::failureMessage(path, error), QSystemTrayIcon::Critical, 10000);
    return false;
}

void ImageWindow::copy()
{
    ImageSaver::copy(image_.toImage());
}

void ImageWindow::paste()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const imagebudget::Result read = imagebudget::readMime(clipboard->mimeData(), clipboard->ownsClipboard());
    if (read.failure == imagebudget::Failure::TooLarge) {
        emit SHOW_MESSAGE(QString::fromLatin1(MESSAGE_TITLE), tr("The image on the clipboard is too large to paste."),
                          QSystemTrayIcon::Warning, 10000);
        return;
    }
    const QPixmap image = QPixmap::fromImage(read.image);
    if (image.isNull()) {
        // Text or nothing on the clipboard: keep what is pinned.
        qWarning() << "the clipboard holds no image";
        return;
    }
    takeImage(image);
}

void ImageWindow::open()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Open Image"), ImageSaver::defaultFolder(),
                                                      QStringLiteral("Image Files(*.png *.jpg *.jpeg *.bmp)"));
    if (!path.isEmpty())
        openFile(path);
}

void ImageWindow::saveAs()
{
    QString filter;
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Image"), ImageSaver::proposedName(),
                                                      ImageSaver::filters(), &filter);
    if (!path.isEmpty())
        saveTo(ImageSaver::withSuffix(path, filter));
}

void ImageWindow::recover()
{
    if (thumbnail_)
        return;
    opacity_ = 1.0;
    setWindowOpacity(opacity_);
    zoom_ = 1.0;
    resizeAboutCentre();
    update();
}

const QPixmap& ImageWindow::scaledImage()
{
    const QSize target = imagewindow::zoomedSize(imageSize_, zoom_);
    const bool smooth = !settle_.isActive();
    if (scaledKey_ != image_.cacheKey() || scaledFor_ != target || (smooth && !scaledSmooth_)) {
        const qreal ratio = image_.devicePixelRatio();
        const QSize pixels = target == imageSize_ ? image_.size() : (QSizeF(target) * ratio).toSize();
        if (pixels == image_.size() || image_.isNull() || target.isEmpty()) {
            scaled_ = pixels == image_.size() ? image_ : QPixmap();
        } else {
            scaled_ = image_.scaled(pixels, Qt::KeepAspectRatio,
                                    smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
            scaled_.setDevicePixelRatio(ratio);
        }
        scaledKey_ = image_.cacheKey();
        scaledFor_ = target;
        scaledSmooth_ = smooth;
    }
    return scaled_;
}

void ImageWindow::paintShadow(QPainter& painter)
{
    // Drawn by hand rather than through a graphics effect, which would blur
    // the whole window, image included, on every paint.
    const QSize s = size();
    const int c = 2 * MARGIN;
    if (!translucencyShown()) {
        // the glow then sits on white: a light frame instead of a black one
        const QRect r = rect();
        painter.fillRect(QRect(0, 0, r.width(), MARGIN), Qt::white);
        painter.fillRect(QRect(0, r.height() - MARGIN, r.width(), MARGIN), Qt::white);
        painter.fillRect(QRect(0, MARGIN, MARGIN, r.height() - 2 * MARGIN), Qt::white);
        painter.fillRect(QRect(r.width() - MARGIN, MARGIN, MARGIN, r.height() - 2 * MARGIN), Qt::white);
    }
    if (s.width() <= 2 * c || s.height() <= 2 * c) {
        if (shadowFor_ != s) {
            shadow_ = QPixmap::fromImage(imagewindow::shadowImage(s));
            shadowFor_ = s;
        }
        painter.drawPixmap(0, 0, shadow_);
        return;
    }
    // Nine patches: corners as they are, edges stretched from the middle.
    if (patch_.isNull())
        patch_ = QPixmap::fromImage(imagewindow::shadowImage(QSize(2 * c + 1, 2 * c + 1)));
    const QPixmap& patch = patch_;
    const int w = s.width();
    const int h = s.height();
    painter.drawPixmap(QRect(0, 0, c, c), patch, QRect(0, 0, c, c));
    painter.drawPixmap(QRect(w - c, 0, c, c), patch, QRect(c + 1, 0, c, c));
    painter.drawPixmap(QRect(0, h - c, c, c), patch, QRect(0, c + 1, c, c));
    painter.drawPixmap(QRect(w - c, h - c, c, c), patch, QRect(c + 1, c + 1, c, c));
    painter.drawPixmap(QRect(c, 0, w - 2 * c, c), patch, QRect(c, 0, 1, c));
    painter.drawPixmap(QRect(c, h - c, w - 2 * c, c), patch, QRect(c, c + 1, 1, c));
    painter.drawPixmap(QRect(0, c, c, h - 2 * c), patch, QRect(0, c, c, 1));
    painter.drawPixmap(QRect(w - c, c, c, h - 2 * c), patch, QRect(c + 1, c, c, 1));
}

void ImageWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintShadow(painter);
    const QPixmap& scaled = scaledImage();
    if (scaled.isNull())
        return;
    // in logical pixels; the pixmap may hold more device pixels
    const qreal ratio = scaled.devicePixelRatio();
    const QRect whole(QPoint(0, 0), (QSizeF(scaled.size()) / ratio).toSize());
    QRect source = whole;
    QPoint target(MARGIN, MARGIN);
    if (thumbnail_) {
        const QRect cut = imagewindow::thumbnailSource(whole.size());
        // A scaled image smaller than the square leaves the rest empty.
        source = cut & whole;
        target += source.topLeft() - cut.topLeft();
    }
    painter.drawPixmap(QRectF(QPointF(target), QSizeF(source.size())), scaled,
                       devicepixels::sourceRect(source, ratio));
}

void ImageWindow::mousePressEvent(QMouseEvent* event)
{
    if (editing_) {
        event->ignore();
        return;
    }
    if (event->type() == QEvent::MouseButtonDblClick && event->button() == Qt::LeftButton) {
        settle_.stop(); // the wheel is not turning: show the smooth image now
        thumbnail_ = !thumbnail_;
        resizeAboutCentre();
        update();
    }
    setCursor(Qt::SizeAllCursor);
    lastPos_ = event->globalPos();
}

void ImageWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (editing_) {
        event->ignore();
        return;
    }
    const QPoint now = event->globalPos();
    move(pos() + now - lastPos_);
    lastPos_ = now;
}

void ImageWindow::mouseReleaseEvent(QMouseEvent*)
{
    unsetCursor();
}

void ImageWindow::wheelEvent(QWheelEvent* event)
{
    if (editing_) {
        event->ignore();
        return;
    }
    const int delta = event->angleDelta().y();
    // The wheel's own modifiers: right even when the window never had the
    // keyboard focus, and never stuck after a release seen elsewhere.
    if (event->modifiers() & Qt::ControlModifier) {
        opacity_ = imagewindow::nextOpacity(opacity_, delta);
        setWindowOpacity(opacity_);
    } else if (!thumbnail_) {
        const double next = imagewindow::nextZoom(zoom_, delta, imageSize_);
        if (next != zoom_) {
            zoom_ = next;
            settle_.start();
            resizeAboutCentre();
        }
    }
    update();
    event->accept();
}

void ImageWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

QMenu* ImageWindow::createContextMenu()
{
    auto* menu = new QMenu(this);
    menu->addAction(tr("Copy image"), this, &ImageWindow::copy);
    menu->addAction(tr("Paste image"), this, &ImageWindow::paste);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Edit"), this, &ImageWindow::edit);
    menu->addSeparator();
    menu->addAction(tr("Open image..."), this, &ImageWindow::open);
    menu->addAction(tr("Save as..."), this, &ImageWindow::saveAs);
    menu->addSeparator();
    menu->addAction(tr("Zoom : ") + QString::number(imagewindow::percent(zoom_)) + QLatin1Char('%'));
    menu->addAction(tr("Opacity : ") + QString::number(imagewindow::percent(opacity_)) + QLatin1Char('%'));
    menu->addAction(tr("Recover"), this, &ImageWindow::recover);
    menu->addSeparator();
    QAction* close = menu->addAction(tr("Close"));
    connect(close, SIGNAL(triggered(bool)), this, SLOT(close()));
    return menu;
}

void ImageWindow::contextMenuEvent(QContextMenuEvent*)
{
    QMenu* menu = createContextMenu();
    // One menu per click: let each go when it closes instead of piling up
    // under the window.
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(QCursor::pos());
}

void ImageWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* mime = event->mimeData();
    if (mime && mime->hasUrls() && !mime->urls().isEmpty()
        && imagewindow::isDroppableSuffix(QFileInfo(mime->urls().first().fileName()).suffix())) {
        event->acceptProposedAction();
        return;
    }
    event->ignore();
}

void ImageWindow::dropEvent(QDropEvent* event)
{
    const QMimeData* mime = event->mimeData();
    if (!mime || !mime->hasUrls() || mime->urls().isEmpty()) {
        event->ignore();
        return;
    }
    const QString path = mime->urls().first().toLocalFile();
    qInfo() << path;
    const QPixmap image = loadImage(path);
    if (image.isNull()) {
        event->ignore();
        return;
    }
    zoom_ = 1.0;
    takeImage(image);
    repaint();
    event->acceptProposedAction();
}
