// The pictures the decoders' benchmarks and the same-file comparison read, each 1024 x 1024, and
// the files they are stored in:
//   photo24.bmp         a 24-bit bitmap of photographic shading with sensor noise
//   noclear.gif         a 256-colour GIF with no clear once the table is full (every later code
//                       is looked up in the full table: the decoder's worst case)
//   clearing.gif        the same with a clear each time the table fills, as common encoders write
//   8bit.pcx, 24bit.pcx smooth gradients with noise, as a 256-colour and a 24-bit PCX
//   uncompressed32.tga  half flat shapes, half a noisy gradient, with an alpha ramp
//   runlength24.tga     the same, run-length 24-bit
#pragma once

#include "codecs/TargaImage.h"
#include "graphics/BmpWriter.h"
#include "tests/support/ImageFiles.h"

#include <QBuffer>
#include <QImage>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace quorvel::bench {

constexpr int kPictureSide = 1024;

// Smooth shading with a little sensor noise, as in a photograph.
inline QImage photoLike(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 1.0);
    const auto clamp = [](double v) { return int(std::lround(std::min(255.0, std::max(0.0, v)))); };
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double u = x / double(width), v = y / double(height);
            const double light = 120 + 80 * std::sin(3.1 * u + 1.7 * v) * std::cos(2.3 * v - u);
            row[x] = qRgb(clamp(light + 40 * u + noise(random)), clamp(light * 0.8 + 30 * v + noise(random)),
                          clamp(light * 0.6 + 50 * (1 - u) + noise(random)));
        }
    }
    return image;
}

// Gradients with noise as 0xRRGGBB pixels, top row first.
inline const std::vector<std::uint32_t>& gradientPixels()
{
    static const std::vector<std::uint32_t> pixels = [] {
        const int side = kPictureSide;
        std::mt19937 random(1);
        std::vector<std::uint32_t> out;
        out.reserve(std::size_t(side) * side);
        auto channel = [&](int v) { return std::uint32_t(std::clamp(v + int(random() % 17) - 8, 0, 255)); };
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                out.push_back(channel(x / 4) << 16 | channel(y / 4) << 8 | channel((x + y) / 8));
        return out;
    }();
    return pixels;
}

// The 3-3-2 palette and the gradients' indexes in it.
inline std::vector<QRgb> palette332()
{
    std::vector<QRgb> colours;
    for (int i = 0; i < 256; ++i) colours.push_back(qRgb((i >> 5) * 255 / 7, (i >> 2 & 7) * 255 / 7, (i & 3) * 255 / 3));
    return colours;
}

inline std::vector<std::uint32_t> indexes332()
{
    std::vector<std::uint32_t> out;
    for (std::uint32_t p : gradientPixels()) out.push_back((p >> 21 & 7) << 5 | (p >> 13 & 7) << 2 | (p >> 6 & 3));
    return out;
}

inline QByteArray gif(bool clearWhenFull)
{
    test::GifForm form;
    form.width = form.height = kPictureSide;
    for (std::uint32_t i : indexes332()) form.pixels.push_back(std::uint8_t(i));
    form.globalColours = palette332();
    form.lzw.clearWhenFull = clearWhenFull;
    return test::gifFile(form);
}

inline QByteArray pcx(int planes)
{
    test::PcxForm form;
    form.planes = planes;
    form.width = form.height = kPictureSide;
    if (planes == 1) form.vgaColours = palette332();
    return test::pcxFile(form, planes == 1 ? indexes332() : gradientPixels());
}

// Half flat shapes (long runs), half a noisy gradient (mostly raw packets), like a texture with
// painted areas and photographic detail.
inline QImage texturePicture()
{
    const int side = kPictureSide;
    QImage image(side, side, QImage::Format_RGB32);
    std::mt19937 random(42);
    for (int y = 0; y < side; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < side; ++x) {
            if (y < side / 2) {
                line[x] = qRgb((x / 64) * 16, (y / 32) * 8, ((x + y) / 128) * 32);
            } else {
                const int noise = int(random() % 8);
                line[x] = qRgb((x / 4 + noise) & 0xFF, (y / 4) & 0xFF, (x + y + noise) & 0xFF);
            }
        }
    }
    return image;
}

inline QByteArray targa(std::uint8_t kind, std::uint8_t saveDepth)
{
    TTarga tga;
    const QImage image = texturePicture();
    tga.colorBitmap().setImage(image);
    QImage alpha(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < alpha.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(alpha.scanLine(y));
        for (int x = 0; x < alpha.width(); ++x) line[x] = qRgb(x & 0xFF, x & 0xFF, x & 0xFF);
    }
    tga.setAlphaPlane(alpha);
    tga.setImageKind(kind);
    tga.SaveDepth = saveDepth;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    tga.saveToStream(out);
    return out.data();
}

inline QStringList benchPictureNames()
{
    return {"photo24.bmp", "noclear.gif", "clearing.gif", "8bit.pcx", "24bit.pcx", "uncompressed32.tga",
            "runlength24.tga"};
}

// The file of one of the names above; empty for any other name.
inline QByteArray benchPictureFile(const QString& name)
{
    if (name == "photo24.bmp") return encodeBmp24(photoLike(kPictureSide, kPictureSide));
    if (name == "noclear.gif") return gif(false);
    if (name == "clearing.gif") return gif(true);
    if (name == "8bit.pcx") return pcx(1);
    if (name == "24bit.pcx") return pcx(3);
    if (name == "uncompressed32.tga") return targa(tgaTrueColor, 3);
    if (name == "runlength24.tga") return targa(tgaRleTrueColor, 0);
    return {};
}

} // namespace quorvel::bench
