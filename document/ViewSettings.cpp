#include "document/ViewSettings.h"

#include "document/M32Format.h"

#include <algorithm>
#include <memory>

namespace quorvel {

namespace {

// The colour drawn over each square, by alpha and shown channel: the stored channel recovered
// from the channel over the grey, then laid over the square's grey by the alpha.
struct CheckerTables {
    std::uint8_t over[2][256][256]; // [dark square][alpha][shown channel]
};

const CheckerTables& checkerTables()
{
    static const std::unique_ptr<const CheckerTables> tables = [] {
        auto t = std::make_unique<CheckerTables>();
        const Composition& c = composition();
        const int squares[2] = {kCheckerLight, kCheckerDark};
        for (int dark = 0; dark < 2; ++dark)
            for (int a = 0; a < 256; ++a)
                for (int d = 0; d < 256; ++d) {
                    const int stored = c.stored[a][d];
                    t->over[dark][a][d] = std::uint8_t((stored * a + squares[dark] * (255 - a) + 127) / 255);
                }
        return std::unique_ptr<const CheckerTables>(std::move(t));
    }();
    return *tables;
}

inline QRgb grey(int v)
{
    return 0xFF000000u | QRgb(v) << 16 | QRgb(v) << 8 | QRgb(v);
}

} // namespace

void viewRow(ViewMode mode, const QRgb* colour, const std::uint8_t* alpha, int x, int y, int zoom, int count,
             QRgb* out)
{
    const Composition& c = composition();
    switch (mode) {
    case ViewMode::Colour:
        for (int i = 0; i < count; ++i) out[i] = colour[i] | 0xFF000000u;
        return;
    case ViewMode::Red:
        for (int i = 0; i < count; ++i) out[i] = grey(c.stored[alpha[i]][qRed(colour[i])]);
        return;
    case ViewMode::Green:
        for (int i = 0; i < count; ++i) out[i] = grey(c.stored[alpha[i]][qGreen(colour[i])]);
        return;
    case ViewMode::Blue:
        for (int i = 0; i < count; ++i) out[i] = grey(c.stored[alpha[i]][qBlue(colour[i])]);
        return;
    case ViewMode::Alpha:
        for (int i = 0; i < count; ++i) out[i] = grey(alpha[i]);
        return;
    case ViewMode::OverCheckerboard: {
        const CheckerTables& t = checkerTables();
        // Level pixels per square side: 8 at zoom 1, 1 at zoom 8.
        const int side = std::max(1, kCheckerSquare / std::max(1, zoom));
        const int rowParity = (y / side) & 1;
        for (int i = 0; i < count; ++i) {
            const auto& over = t.over[((x + i) / side & 1) ^ rowParity][alpha[i]];
            out[i] = 0xFF000000u | QRgb(over[qRed(colour[i])]) << 16 | QRgb(over[qGreen(colour[i])]) << 8 |
                     QRgb(over[qBlue(colour[i])]);
        }
        return;
    }
    }
}

QString zoomCaption(int zoom)
{
    return QStringLiteral("[zoom %1x]").arg(zoom);
}

void ViewSettings::setMode(ViewMode mode)
{
    if (mode == mode_) return;
    mode_ = mode;
    emit modeChanged(mode);
}

void ViewSettings::setZoom(int zoom)
{
    if (zoom == zoom_) return;
    zoom_ = zoom;
    emit zoomChanged(zoom);
}

void ViewSettings::zoomIn()
{
    if (zoom_ < kMaxZoom) setZoom(zoom_ * 2);
}

void ViewSettings::zoomOut()
{
    if (zoom_ > 1) setZoom(zoom_ / 2);
}

} // namespace quorvel
