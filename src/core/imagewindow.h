#pragma once

#include <QDateTime>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QSystemTrayIcon>
#include <QWidget>

#include "widgets/imageeditmenu.h"

class QMenu;
class QPainter;

// A pinned image: a frameless, always-on-top window that keeps one image in
// view. It can be dragged, zoomed, made translucent, folded to a thumbnail,
// and its image copied, replaced and saved. It deletes itself when closed.
class ImageWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MARGIN = 10;
    static constexpr int THUMBNAIL_SIDE = 125;
    static constexpr double MIN_ZOOM = 0.01;
    static constexpr double MIN_OPACITY = 0.01;

    explicit ImageWindow(QWidget* parent = nullptr);
    ~ImageWindow() override;

    // Takes the image, sizes the window to it with the top-left corner fixed
    // and shows the window. A null image is refused (false).
    bool setImage(const QPixmap& image);

    // The dialog-free halves of open() and saveAs(); false when nothing was
    // loaded or written, in which case the user is told.
    bool openFile(const QString& path);
    bool saveTo(const QString& path);

    QPixmap image() const { return image_; }
    QSize imageSize() const { return imageSize_; }
    double zoom() const { return zoom_; }
    double opacity() const { return opacity_; }
    bool isThumbnail() const { return thumbnail_; }
    bool isEditing() const { return editing_; }
    ImageEditMenu* editMenu() { return &editMenu_; }

    // Zooms to the factor (at least MIN_ZOOM), the top-left corner fixed.
    void setZoom(double zoom);

    // Shows the annotation toolbar under the image (not in thumbnail mode).
    // While it shows, the mouse and the wheel leave the window alone.
    void edit();

    // The context menu as it reads now; the caller owns it.
    QMenu* createContextMenu();

signals:
    void SHOW_MESSAGE(QString title, QString msg, QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information,
                      int msecs = 10000);

public slots:
    void copy();
    void paste();
    void open();
    void saveAs();
    void recover();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The size the window should have for the current image, zoom and mode.
    QSize windowSize() const;
    void resizeAboutCentre();
    void takeImage(const QPixmap& image);
    // The image in that file, or a null pixmap after telling the user.
    QPixmap loadImage(const QString& path);
    const QPixmap& scaledImage();
    void paintShadow(QPainter& painter);
    void placeEditMenu();
    void stopEditing();

    // The centre that zooming keeps, exact: rounding each step anew would
    // walk the window off by half a pixel at a time. Not simply re-read from
    // geometry(), which a late configure notification from the window
    // manager can briefly set to an earlier step's value.
    QPointF anchor_;
    bool anchored_ = false;

    QPoint lastPos_;
    double zoom_ = 1.0;
    double opacity_ = 1.0;
    QPixmap image_;
    QSize imageSize_{0, 0};
    bool thumbnail_ = false;
    bool editing_ = false;
    ImageEditMenu editMenu_; // a window of its own, kept hidden until edit()

    // Smooth scaling is the expensive part of a paint: keep the last result,
    // and while the wheel turns scale fast, smoothing once it rests.
    QPixmap scaled_;
    QSize scaledFor_;
    qint64 scaledKey_ = 0;
    bool scaledSmooth_ = false;
    QTimer settle_;

    QPixmap shadow_; // whole, for windows too small for the patches
    QSize shadowFor_;
    QPixmap patch_;
};

// Pure helpers of the pinned window, kept apart so they can be checked
// without a display.
namespace imagewindow {

// Image size times zoom, each side rounded to the nearest integer.
QSize zoomedSize(const QSize& image, double zoom);
// Zoomed image plus the margin on every side, or the thumbnail square.
QSize frameSize(const QSize& image, double zoom, bool thumbnail);
// The exact centre of a rectangle (QRect::center() rounds down).
QPointF exactCentre(const QRect& rect);
// A rectangle of the given size whose centre is within half a pixel of it.
QRect centredAt(const QPointF& centre, const QSize& size);
// The 125 x 125 square cut from the middle of a scaled image.
QRect thumbnailSource(const QSize& scaled);
// One wheel notch (120 units) moves zoom or opacity by 0.01.
double wheelStep(int angleDelta);
// Zoom after a wheel turn: floor 0.01; growing stops once a side of the
// zoomed image would pass MAX_ZOOMED_SIDE.
constexpr int MAX_ZOOMED_SIDE = 8192;
double nextZoom(double zoom, int angleDelta, const QSize& image);
double nextOpacity(double opacity, int angleDelta);
// The whole percentage shown in the menu (1.234 reads 123).
int percent(double value);
// Whether a dragged file's suffix names an image we read (case-sensitive).
bool isDroppableSuffix(const QString& suffix);
// The glow in the margin: a blurred opaque rectangle the size of the window
// less the margin, in "#409eff", premultiplied.
QImage shadowImage(const QSize& window);
// Where the toolbar goes: under the image, right-aligned one pixel short of
// its right edge, top 5 pixels below its last row. Kept on the given screen
// so a toolbar of an image pinned at the bottom can still be reached; when it
// had to move up, its option menus open above it.
struct ToolbarPlace
{
    QPoint pos;
    bool submenusAbove = false;
};
ToolbarPlace toolbarPlace(const QRect& window, const QSize& toolbar, const QRect& screen);

} // namespace imagewindow
