#include "snip/paintcommand.h"

#include <QPainter>
#include <QPainterPathStroker>

#include <cmath>

#include "snip/textedit.h"

PaintCommand::PaintCommand(Graph type, const QPen& pen, bool fill, const QPoint& start,
                           QWidget* parent)
    : type_(type)
    , pen_(pen)
    , fill_(fill)
    , resizer_(start.x(), start.y(), start.x(), start.y())
{
    static const int registered = (qRegisterMetaType<Graph>(), qRegisterMetaType<PaintType>(), 0);
    Q_UNUSED(registered)

    if (isStroke(type_)) {
        addPoint(start);
    } else if (type_ == TEXT) {
        editor_ = new TextEdit(parent);
        connect(editor_, &QTextEdit::textChanged, this, [this] { emit modified(REDRAW_ALL); });
        editor_->setTextColour(pen_.color());
        editor_->setFocus(Qt::OtherFocusReason);
        editor_->move(start);
        editor_->show();
    }
}

PaintCommand::~PaintCommand()
{
    delete editor_.data();
}

QVector<QPoint> PaintCommand::arrowPolygon(const QPoint& tail, const QPoint& tip)
{
    const double theta = std::atan2(double(tip.y() - tail.y()), double(tip.x() - tail.x()));
    const double c = 0.5235987666666666; // 3.1415926 / 6
    const auto t = [](double v) { return int(v); }; // toward zero, each product alone
    const int x2 = tip.x();
    const int y2 = tip.y();
    return {
        tail,
        { x2 + t(-9 * std::cos(theta)) - t(10 * std::cos(theta + c)),
          y2 + t(-9 * std::sin(theta)) - t(10 * std::sin(theta + c)) },
        { x2 - t(27 * std::cos(theta + c)), y2 - t(27 * std::sin(theta + c)) },
        tip,
        { x2 - t(27 * std::cos(theta - c)), y2 - t(27 * std::sin(theta - c)) },
        { x2 + t(-9 * std::cos(theta)) - t(10 * std::cos(theta - c)),
          y2 + t(-9 * std::sin(theta)) - t(10 * std::sin(theta - c)) },
    };
}

void PaintCommand::rebuildArrow()
{
    points_ = arrowPolygon({ resizer_.x1, resizer_.y1 }, { resizer_.x2, resizer_.y2 });
}

bool PaintCommand::addPoint(const QPoint& point)
{
    switch (type_) {
    case RECTANGLE:
    case ELLIPSE:
    case LINE:
    case ARROW:
        resizer_.x2 = point.x();
        resizer_.y2 = point.y();
        if (type_ == ARROW)
            rebuildArrow();
        emit modified(PREVIEW);
        return true;
    case PENCIL:
    case MOSAIC:
    case ERASER:
        pending_.append(point);
        emit modified(DRAW_INCREMENT);
        return true;
    default:
        return false;
    }
}

namespace {

// The toolkit maps a fill's texture of a high-resolution pixmap one to one,
// but stretches it by its pixel ratio under a pen: a stroke of the mosaic or
// eraser would show the desktop enlarged and shifted on a scaled screen.
QPen strokePen(const QPen& pen)
{
    QBrush brush = pen.brush();
    if (brush.style() != Qt::TexturePattern)
        return pen;
    const qreal ratio = brush.textureImage().devicePixelRatio();
    if (ratio == 1 || ratio <= 0)
        return pen;
    brush.setTransform(brush.transform() * QTransform::fromScale(1 / ratio, 1 / ratio));
    QPen scaled = pen;
    scaled.setBrush(brush);
    return scaled;
}

} // namespace

void PaintCommand::draw(QPainter* painter, bool incremental)
{
    painter->save();
    painter->setPen(strokePen(pen_));
    if (fill_)
        painter->setBrush(QBrush(pen_.color(), Qt::SolidPattern));

    switch (type_) {
    case RECTANGLE:
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->drawRect(rect());
        break;
    case ELLIPSE:
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->drawEllipse(rect());
        break;
    case LINE:
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->drawLine(resizer_.x1, resizer_.y1, resizer_.x2, resizer_.y2);
        break;
    case PENCIL:
    case MOSAIC:
    case ERASER:
        painter->setRenderHint(QPainter::Antialiasing, true);
        drawStroke(painter, incremental);
        break;
    case ARROW:
        painter->setRenderHint(QPainter::Antialiasing, true);
        if (points_.size() == 6)
            painter->drawPolygon(points_.constData(), points_.size(), Qt::OddEvenFill);
        break;
    case TEXT:
        if (editor_) {
            // In the editor's pixels, not the canvas's: a point size would
            // come out larger or smaller wherever the two DPIs differ.
            QFont font = editor_->font();
            if (font.pixelSize() <= 0)
                font.setPixelSize(QFontInfo(editor_->font()).pixelSize());
            painter->setFont(font);
            painter->drawText(editor_->geometry().adjusted(2, 2, 0, 0), Qt::TextWordWrap,
                              editor_->toPlainText());
        }
        break;
    }
    painter->restore();
}

void PaintCommand::drawStroke(QPainter* painter, bool incremental)
{
    if (!incremental) {
        if (points_.size() == 1) {
            painter->drawPoint(points_.first());
        } else if (pen_.isCosmetic() || pen_.widthF() <= 0) {
            painter->drawPolyline(points_.constData(), points_.size());
        } else {
            // Full redraws replay every stroke at every paint; filling a cached,
            // simplified outline is about three times cheaper than stroking
            // the polyline with its doubled joints again.
            if (outlineDirty_) {
                QPainterPath path(points_.first());
                for (int i = 1; i < points_.size(); ++i)
                    if (points_[i] != points_[i - 1])
                        path.lineTo(points_[i]);
                outline_ = QPainterPathStroker(pen_).createStroke(path).simplified();
                outlineDirty_ = false;
            }
            painter->fillPath(outline_, pen_.brush());
        }
        return;
    }
    if (pending_.size() == 1 && points_.size() <= 1) {
        // A press without a drag yet leaves a dot of the brush. This state
        // only exists before the first drag, so only previews redraw it.
        painter->drawPoint(pending_.first());
        if (points_.isEmpty()) {
            points_.append(pending_.first());
            outlineDirty_ = true;
        }
        return;
    }
    // Only the joint with the previous segment is left: nothing new to draw.
    // Taking it again would grow the stroke by a copy at every repaint.
    if (pending_.size() < 2)
        return;
    painter->drawPolyline(pending_.constData(), pending_.size());
    points_ += pending_;
    outlineDirty_ = true;
    pending_.clear();
    pending_.append(points_.last());
}

void PaintCommand::move(const QPoint& delta)
{
    switch (type_) {
    case RECTANGLE:
    case ELLIPSE:
    case LINE:
    case ARROW:
        resizer_.move(delta.x(), delta.y());
        if (type_ == ARROW)
            rebuildArrow();
        break;
    case TEXT:
        if (editor_)
            editor_->move(editor_->pos() + delta);
        break;
    default:
        break;
    }
    emit modified(REDRAW_ALL);
}

void PaintCommand::resize(int handle, const QPoint& delta)
{
    const int dx = delta.x();
    const int dy = delta.y();
    switch (handle) {
    case Resizer::ANCHOR_X1: resizer_.x1 += dx; break;
    case Resizer::ANCHOR_X2: resizer_.x2 += dx; break;
    case Resizer::ANCHOR_Y1: resizer_.y1 += dy; break;
    case Resizer::ANCHOR_Y2: resizer_.y2 += dy; break;
    case Resizer::ANCHOR_X1Y1: resizer_.x1 += dx; resizer_.y1 += dy; break;
    case Resizer::ANCHOR_X1Y2: resizer_.x1 += dx; resizer_.y2 += dy; break;
    case Resizer::ANCHOR_X2Y1: resizer_.x2 += dx; resizer_.y1 += dy; break;
    case Resizer::ANCHOR_X2Y2: resizer_.x2 += dx; resizer_.y2 += dy; break;
    default: break;
    }
    if (type_ == ARROW)
        rebuildArrow();
    emit modified(REDRAW_ALL);
}

void PaintCommand::setPen(const QPen& pen)
{
    pen_ = pen;
    outlineDirty_ = true;
    if (editor_ && editor_->textColor() != pen.color())
        editor_->setTextColour(pen.color());
}

void PaintCommand::setFont(const QFont& font)
{
    font_ = font;
    if (editor_)
        editor_->setTextFont(font);
    emit modified(REDRAW_ALL);
}

bool PaintCommand::isValid() const
{
    switch (type_) {
    case RECTANGLE:
    case ELLIPSE:
    case LINE:
    case ARROW:
        return rect().size() != QSize(1, 1);
    case PENCIL:
        return points_.size() > 1;
    case TEXT:
        return editor_ && !editor_->toPlainText().isEmpty();
    case MOSAIC:
    case ERASER:
        return true;
    }
    return false;
}

QImage pixelate(const QImage& image)
{
    if (image.isNull())
        return image;
    // Images narrower than a block still become one block, not a null image.
    const QSize small(std::max(1, image.width() / 9), std::max(1, image.height() / 9));
    return image.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .scaled(image.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
}
