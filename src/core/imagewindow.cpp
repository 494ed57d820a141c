#include "core/imagewindow.h"

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
#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStandardPaths>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

const char* const MESSAGE_TITLE = "Klipora<PICTURE>";

QString picturesFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    // The folder is often missing on a fresh desktop; a dialog opened on a
    // missing folder starts somewhere arbitrary, so offer home instead.
    return QDir(folder).exists() ? folder : QDir::homePath();
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

QString pictureFileName(const QString& folder, const QDateTime& when)
{
    return folder + QDir::separator() + QStringLiteral("Klipora_picture_")
        + when.toString(QStringLiteral("yyyyMMdd_hhmmss_zzz")) + QStringLiteral(".png");
}

} // namespace imagewindow

ImageWindow::ImageWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);

    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setBlurRadius(MARGIN);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor(QStringLiteral("#409eff")));
    setGraphicsEffect(shadow);

    const auto shortcut = [this](const QKeySequence& keys, void (ImageWindow::*slot)()) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence(Qt::CTRL + Qt::Key_C), &ImageWindow::copy);
    shortcut(QKeySequence(Qt::CTRL + Qt::Key_V), &ImageWindow::paste);
    shortcut(QKeySequence(Qt::CTRL + Qt::Key_S), &ImageWindow::saveAs);
    shortcut(QKeySequence(Qt::CTRL + Qt::Key_O), &ImageWindow::open);
}

ImageWindow::~ImageWindow() = default;

QSize ImageWindow::windowSize() const
{
    return imagewindow::frameSize(imageSize_, zoom_, thumbnail_);
}

void ImageWindow::resizeAboutCentre()
{
    // Keep the remembered centre while the window is where we put it; a drag
    // or a new image in between starts from the window as it is now.
    if (geometry() != anchoredGeometry_)
        anchor_ = imagewindow::exactCentre(geometry());
    anchoredGeometry_ = imagewindow::centredAt(anchor_, windowSize());
    setGeometry(anchoredGeometry_);
}

void ImageWindow::takeImage(const QPixmap& image)
{
    image_ = image;
    imageSize_ = image.size();
    // Sized for the zoom and mode in force, so that what is painted always
    // fits the window; the top-left corner stays where it is.
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

bool ImageWindow::openFile(const QString& path)
{
    const QPixmap image(path);
    if (image.isNull()) {
        qWarning() << "not an image:" << path;
        emit SHOW_MESSAGE(QString::fromLatin1(MESSAGE_TITLE),
                          tr("Cannot open image: %1").arg(QDir::toNativeSeparators(path)),
                          QSystemTrayIcon::Warning, 10000);
        return false;
    }
    takeImage(image);
    return true;
}

bool ImageWindow::saveTo(const QString& path)
{
    if (!image_.isNull() && image_.save(path)) {
        qInfo() << "saved" << path;
        return true;
    }
    qWarning() << "could not save" << path;
    emit SHOW_MESSAGE(QString::fromLatin1(MESSAGE_TITLE),
                      tr("Failed to save image: %1").arg(QDir::toNativeSeparators(path)), QSystemTrayIcon::Critical,
                      10000);
    return false;
}

void ImageWindow::copy()
{
    QGuiApplication::clipboard()->setPixmap(image_);
}

void ImageWindow::paste()
{
    const QPixmap image = QGuiApplication::clipboard()->pixmap();
    if (image.isNull()) {
        // Text or nothing on the clipboard: keep what is pinned.
        qWarning() << "the clipboard holds no image";
        return;
    }
    takeImage(image);
}

void ImageWindow::open()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Open Image"), picturesFolder(),
                                                      QStringLiteral("Image Files(*.png *.jpg *.jpeg *.bmp)"));
    if (!path.isEmpty())
        openFile(path);
}

void ImageWindow::saveAs()
{
    const QString proposed = imagewindow::pictureFileName(picturesFolder(), QDateTime::currentDateTime());
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Image"), proposed,
                                                      QStringLiteral("PNG(*.png);;JPEG(*.jpg *.jpeg);;BMP(*.bmp)"));
    if (!path.isEmpty())
        saveTo(path);
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
    if (scaledKey_ != image_.cacheKey() || scaledFor_ != target) {
        if (target == image_.size() || image_.isNull() || target.isEmpty())
            scaled_ = target == image_.size() ? image_ : QPixmap();
        else
            scaled_ = image_.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        scaledKey_ = image_.cacheKey();
        scaledFor_ = target;
    }
    return scaled_;
}

void ImageWindow::paintEvent(QPaintEvent*)
{
    const QPixmap& scaled = scaledImage();
    if (scaled.isNull())
        return;
    QPainter painter(this);
    QRect source = scaled.rect();
    QPoint target(MARGIN, MARGIN);
    if (thumbnail_) {
        const QRect cut = imagewindow::thumbnailSource(scaled.size());
        // A scaled image smaller than the square leaves the rest empty.
        source = cut & scaled.rect();
        target += source.topLeft() - cut.topLeft();
    }
    painter.drawPixmap(target, scaled, source);
}

void ImageWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && event->button() == Qt::LeftButton) {
        thumbnail_ = !thumbnail_;
        resizeAboutCentre();
        update();
    }
    setCursor(Qt::SizeAllCursor);
    lastPos_ = event->globalPos();
}

void ImageWindow::mouseMoveEvent(QMouseEvent* event)
{
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
    // The annotation toolbar is not wired to pinned images yet.
    menu->addAction(QStringLiteral("Edit"))->setEnabled(false);
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
    const QPixmap image(path);
    if (image.isNull()) {
        qWarning() << "not an image:" << path;
        emit SHOW_MESSAGE(QString::fromLatin1(MESSAGE_TITLE),
                          tr("Cannot open image: %1").arg(QDir::toNativeSeparators(path)),
                          QSystemTrayIcon::Warning, 10000);
        event->ignore();
        return;
    }
    zoom_ = 1.0;
    takeImage(image);
    repaint();
    event->acceptProposedAction();
}
