#include "snip/tools/blurtool.h"

#include "core/devicepixels.h"

#include <algorithm>

#include <QPainter>

#include <vector>

#include "widgets/erasemenu.h"

namespace {

struct BlurState : ToolState
{
    QImage source; // the canvas at the press
    QImage blurred; // the inside as last drawn
    QRect blurredAt;
    int blurredWith = 0;
};

// One box pass along rows (or columns) of premultiplied pixels, edges
// repeated, with a running sum.
void boxPass(const QRgb* in, QRgb* out, int count, int stride, int radius, std::vector<int>& sums)
{
    const int window = 2 * radius + 1;
    sums.assign(4, 0);
    auto at = [&](int i) { return in[qBound(0, i, count - 1) * stride]; };
    for (int i = -radius; i <= radius; ++i) {
        const QRgb p = at(i);
        sums[0] += qAlpha(p), sums[1] += qRed(p), sums[2] += qGreen(p), sums[3] += qBlue(p);
    }
    for (int i = 0; i < count; ++i) {
        out[i * stride] = qRgba(sums[1] / window, sums[2] / window, sums[3] / window, sums[0] / window);
        const QRgb add = at(i + radius + 1);
        const QRgb drop = at(i - radius);
        sums[0] += qAlpha(add) - qAlpha(drop);
        sums[1] += qRed(add) - qRed(drop);
        sums[2] += qGreen(add) - qGreen(drop);
        sums[3] += qBlue(add) - qBlue(drop);
    }
}

} // namespace

QString BlurTool::icon() const { return QStringLiteral(":/icon/res/blur"); }
const char* BlurTool::tip() const { return QT_TRANSLATE_NOOP("ImageEditMenu", "Blur"); }
EditMenu* BlurTool::createMenu(QWidget* parent) const { return new EraseMenu(parent); }

std::shared_ptr<PaintCommand> BlurTool::create(const ToolInput& input) const
{
    auto command = std::make_shared<PaintCommand>(type(), input.pen, false, input.pos);
    auto state = std::make_unique<BlurState>();
    if (input.canvas)
        state->source = input.canvas().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    command->setState(std::move(state));
    return command;
}

QImage BlurTool::blurred(const QImage& image, int radius)
{
    if (image.isNull() || radius < 1)
        return image;
    QImage a = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage b(a.size(), a.format());
    const int w = a.width();
    const int h = a.height();
    std::vector<int> sums;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y)
            boxPass(reinterpret_cast<const QRgb*>(a.constScanLine(y)), reinterpret_cast<QRgb*>(b.scanLine(y)), w, 1,
                    radius, sums);
        const int stride = int(b.bytesPerLine() / sizeof(QRgb));
        for (int x = 0; x < w; ++x)
            boxPass(reinterpret_cast<const QRgb*>(b.constBits()) + x, reinterpret_cast<QRgb*>(a.bits()) + x, h,
                    stride, radius, sums);
    }
    return a;
}

void BlurTool::draw(PaintCommand& command, QPainter* painter, bool) const
{
    auto* state = dynamic_cast<BlurState*>(command.state());
    if (!state || state->source.isNull())
        return;
    // The canvas may hold more pixels than the logical ones marks are drawn
    // in: blur its own pixels and show them where the rectangle is.
    const qreal ratio = state->source.devicePixelRatio() > 0 ? state->source.devicePixelRatio() : 1;
    const QRect device = devicepixels::toDevice(command.rect(), ratio);
    const QRect inside = device & state->source.rect();
    if (inside.isEmpty())
        return;
    const int r = std::max(1, int(radius(command.pen().width()) * ratio));
    if (state->blurredAt != inside || state->blurredWith != r) {
        // Pixels around the inside take part, so its edges blur like its middle.
        const int m = 3 * r;
        const QRect around = inside.adjusted(-m, -m, m, m) & state->source.rect();
        QImage source = state->source.copy(around);
        source.setDevicePixelRatio(1);
        const QImage all = blurred(source, r);
        state->blurred = all.copy(inside.translated(-around.topLeft()));
        state->blurred.setDevicePixelRatio(1);
        state->blurredAt = inside;
        state->blurredWith = r;
    }
    painter->drawImage(QRectF(QPointF(inside.topLeft()) / ratio, QSizeF(inside.size()) / ratio), state->blurred);
}
