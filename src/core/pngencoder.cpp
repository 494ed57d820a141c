#include "core/pngencoder.h"

#include <QtEndian>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>
#include <zlib.h>

namespace {

void putU32(QByteArray& out, quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

// length, type, data, CRC of type and data
void putChunk(QByteArray& out, const char* type, const QByteArray& data)
{
    putU32(out, quint32(data.size()));
    const int start = out.size();
    out.append(type, 4);
    out.append(data);
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(out.constData() + start), uInt(out.size() - start)));
    putU32(out, crc);
}

bool opaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return true;
    if (image.format() != QImage::Format_ARGB32 && image.format() != QImage::Format_ARGB32_Premultiplied)
        return false; // other alpha formats: keep the alpha rather than scan them
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* p = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(p[x]) != 255)
                return false;
    }
    return true;
}

inline uchar paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return uchar(a);
    return uchar(pb <= pc ? b : c);
}

// out[0] is the filter byte; cur and prev are raw rows of n bytes (prev all
// zero for the first row), bpp bytes per pixel
void filterRow(PngEncoder::RowFilter f, const uchar* cur, const uchar* prev, int n, int bpp, uchar* out)
{
    *out++ = uchar(f);
    switch (f) {
    case PngEncoder::RowFilter::None:
        memcpy(out, cur, size_t(n));
        break;
    case PngEncoder::RowFilter::Sub:
        for (int i = 0; i < bpp; ++i)
            out[i] = cur[i];
        for (int i = bpp; i < n; ++i)
            out[i] = uchar(cur[i] - cur[i - bpp]);
        break;
    case PngEncoder::RowFilter::Up:
        for (int i = 0; i < n; ++i)
            out[i] = uchar(cur[i] - prev[i]);
        break;
    case PngEncoder::RowFilter::Average:
        for (int i = 0; i < bpp; ++i)
            out[i] = uchar(cur[i] - (prev[i] >> 1));
        for (int i = bpp; i < n; ++i)
            out[i] = uchar(cur[i] - ((cur[i - bpp] + prev[i]) >> 1));
        break;
    case PngEncoder::RowFilter::Paeth:
        for (int i = 0; i < bpp; ++i)
            out[i] = uchar(cur[i] - prev[i]);
        for (int i = bpp; i < n; ++i)
            out[i] = uchar(cur[i] - paeth(cur[i - bpp], prev[i], prev[i - bpp]));
        break;
    case PngEncoder::RowFilter::Adaptive:
        break; // chosen by the caller
    }
}

// bytes as signed distances from zero: the usual guess of which filter
// output deflates best
quint64 magnitude(const uchar* row, int n)
{
    quint64 sum = 0;
    for (int i = 0; i < n; ++i)
        sum += quint64(std::abs(int(static_cast<signed char>(row[i]))));
    return sum;
}

// Noise (photos, gradients, dithered wallpaper) holds no repeats worth
// searching for: Huffman coding alone packs it as well as zlib's default
// level, several times faster, while text and flat colour need the match
// search. A few bands of rows spread over the image, packed both ways,
// decide for the whole image.
template <typename FilteredRow>
int chooseStrategy(int height, int level, FilteredRow filteredRow, size_t rowBytes)
{
    constexpr int BANDS = 4, BAND_ROWS = 16;
    if (height < BANDS * BAND_ROWS * 2)
        return Z_DEFAULT_STRATEGY; // small images: the choice hardly matters
    std::vector<uchar> sample(rowBytes * BANDS * BAND_ROWS);
    for (int b = 0; b < BANDS; ++b) {
        const int y0 = int(qint64(height) * (2 * b + 1) / (2 * BANDS)) - BAND_ROWS / 2;
        for (int r = 0; r < BAND_ROWS; ++r)
            filteredRow(y0 + r, sample.data() + rowBytes * size_t(b * BAND_ROWS + r));
    }
    auto packed = [&](int strategy) {
        z_stream zs {};
        if (deflateInit2(&zs, level, Z_DEFLATED, 15, 8, strategy) != Z_OK)
            return std::numeric_limits<uLong>::max();
        std::vector<uchar> out(deflateBound(&zs, uLong(sample.size())));
        zs.next_in = sample.data();
        zs.avail_in = uInt(sample.size());
        zs.next_out = out.data();
        zs.avail_out = uInt(out.size());
        const int rc = deflate(&zs, Z_FINISH);
        const uLong size = rc == Z_STREAM_END ? zs.total_out : std::numeric_limits<uLong>::max();
        deflateEnd(&zs);
        return size;
    };
    return packed(Z_HUFFMAN_ONLY) <= packed(Z_DEFAULT_STRATEGY) ? Z_HUFFMAN_ONLY : Z_DEFAULT_STRATEGY;
}

} // namespace

QByteArray PngEncoder::encode(const QImage& image, int level, RowFilter filter)
{
    if (image.isNull())
        return {};
    const bool alpha = !opaque(image);
    // RGB rows come out of 32-bit pixels; alpha rows straight from RGBA8888
    QImage src;
    if (alpha)
        src = image.convertToFormat(QImage::Format_RGBA8888);
    else if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
             || image.format() == QImage::Format_ARGB32_Premultiplied)
        src = image; // opaque: premultiplied or not, the colours are the same
    else
        src = image.convertToFormat(QImage::Format_RGB32);
    if (src.isNull())
        return {};

    level = qBound(0, level, 9);
    const int w = src.width(), h = src.height();
    const int bpp = alpha ? 4 : 3;
    const int n = w * bpp;

    // raw row y as the file stores it: RGB, or RGBA
    auto rawRow = [&](int y, uchar* out) {
        if (alpha) {
            memcpy(out, src.constScanLine(y), size_t(n));
            return;
        }
        const QRgb* p = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            *out++ = uchar(qRed(p[x]));
            *out++ = uchar(qGreen(p[x]));
            *out++ = uchar(qBlue(p[x]));
        }
    };
    std::vector<uchar> trial(size_t(n) + 1);
    // filtered row (filter byte first) from the raw row and the one above
    auto filteredRow = [&](const uchar* cur, const uchar* prev, uchar* out) {
        if (filter != RowFilter::Adaptive) {
            filterRow(filter, cur, prev, n, bpp, out);
            return;
        }
        quint64 best = std::numeric_limits<quint64>::max();
        for (RowFilter f : {RowFilter::None, RowFilter::Sub, RowFilter::Up, RowFilter::Average, RowFilter::Paeth}) {
            uchar* dst = f == RowFilter::None ? out : trial.data();
            filterRow(f, cur, prev, n, bpp, dst);
            const quint64 m = magnitude(dst + 1, n);
            if (m < best) {
                best = m;
                if (dst != out)
                    memcpy(out, dst, size_t(n) + 1);
            }
        }
    };

    std::vector<uchar> rows(size_t(n) * 2, 0); // current and previous raw row
    std::vector<uchar> filtered(size_t(n) + 1);
    uchar* cur = rows.data();
    uchar* prev = rows.data() + n;
    const int strategy = level == 0 ? Z_DEFAULT_STRATEGY : chooseStrategy(h, level, [&](int y, uchar* out) {
        std::fill(prev, prev + n, uchar(0));
        if (y > 0)
            rawRow(y - 1, prev);
        rawRow(y, cur);
        filteredRow(cur, prev, out);
    }, size_t(n) + 1);
    std::fill(rows.begin(), rows.end(), uchar(0));

    z_stream zs {};
    if (deflateInit2(&zs, level, Z_DEFLATED, 15, 8, strategy) != Z_OK)
        return {};
    // compressed data is collected in pieces: no second full-size buffer
    QByteArray idat;
    std::vector<uchar> piece(256 * 1024);
    auto pump = [&](int flush) {
        int rc;
        do {
            zs.next_out = piece.data();
            zs.avail_out = uInt(piece.size());
            rc = deflate(&zs, flush);
            if (rc == Z_STREAM_ERROR)
                return false;
            const int produced = int(piece.size() - zs.avail_out);
            if (produced > 0) {
                if (idat.size() > std::numeric_limits<int>::max() - 1024 * 1024 - produced)
                    return false; // past what one byte array holds
                idat.append(reinterpret_cast<const char*>(piece.data()), produced);
            }
        } while (zs.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
        return true;
    };

    bool ok = true;
    for (int y = 0; y < h && ok; ++y) {
        rawRow(y, cur);
        filteredRow(cur, prev, filtered.data());
        zs.next_in = filtered.data();
        zs.avail_in = uInt(filtered.size());
        ok = pump(Z_NO_FLUSH) && zs.avail_in == 0;
        std::swap(cur, prev);
    }
    ok = ok && pump(Z_FINISH);
    deflateEnd(&zs);
    if (!ok)
        return {};

    QByteArray out;
    out.reserve(idat.size() + 64);
    out.append("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr;
    putU32(ihdr, quint32(w));
    putU32(ihdr, quint32(h));
    ihdr.append(char(8));                // bits per channel
    ihdr.append(char(alpha ? 6 : 2));    // RGBA or RGB
    ihdr.append(3, char(0));             // deflate, adaptive filtering, no interlace
    putChunk(out, "IHDR", ihdr);
    putChunk(out, "IDAT", idat);
    putChunk(out, "IEND", QByteArray());
    return out;
}
