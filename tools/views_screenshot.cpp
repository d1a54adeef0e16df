// Writes docs/views.png, the README's picture of the channel views and the tiled preview: the
// real editor windows, offscreen, over a made-up texture. Run by tools/views-screenshot.sh.
#include "app/EditorWindows.h"
#include "app/TForm1.h"
#include "document/TextureDocument.h"
#include "windows/TForm2.h"
#include "windows/TForm5.h"
#include "windows/TiledPreview.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

// Bricks in three colours over mortar, the mortar half transparent and a round hole in the
// middle fading out, so that every channel and the alpha differ.
void paintTexture(quorvel::TextureDocument& document)
{
    constexpr int side = 48;
    document.appendLevel(side, side, QStringLiteral("48 * 48"));
    document.setCurrentLevel(1);
    document.editPixels(1, QRect(0, 0, side, side), [](QImage& colour, QImage& alpha) {
        const QRgb bricks[] = {qRgb(178, 62, 40), qRgb(196, 120, 52), qRgb(120, 44, 60)};
        for (int y = 0; y < side; ++y) {
            auto* row = reinterpret_cast<QRgb*>(colour.scanLine(y));
            uchar* a = alpha.scanLine(y);
            for (int x = 0; x < side; ++x) {
                const int course = y / 12;
                const int bx = (x + (course % 2) * 12) % side;
                const bool mortar = y % 12 < 2 || bx % 24 < 2;
                const double r = std::hypot(x - side / 2 + 0.5, y - side / 2 + 0.5);
                const int hole = r < 8 ? 0 : r < 14 ? int((r - 8) / 6 * 255) : 255;
                const QRgb c = mortar ? qRgb(210, 210, 200) : bricks[(course + bx / 24) % 3];
                const int shade = (x * 7 + y * 13) % 23 - 11;
                const int al = mortar ? std::min(hole, 160) : hole;
                // The level image holds the colour over the background grey.
                const auto over = [&](int v) { return (std::clamp(v + shade, 0, 255) * al + 192 * (255 - al) + 127) / 255; };
                row[x] = qRgb(over(qRed(c)), over(qGreen(c)), over(qBlue(c)));
                a[x] = uchar(al);
            }
        }
    });
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: views_screenshot OUT.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    // The presets live in the user's configuration: the picture shows none of the user's own.
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());

    quorvel::TextureDocument document;
    quorvel::EditorWindows w = quorvel::createEditorWindows(document, dir.filePath(QStringLiteral("QUORVEL.INI")));
    std::unique_ptr<quorvel::TForm1> frame(w.frame);
    frame->resize(1140, 660);
    frame->show();
    QApplication::processEvents();
    paintTexture(document);
    w.view->zoomIn();
    w.view->zoomIn(); // 4x
    QApplication::processEvents();

    // One grab of the level per mode, in the menu's order.
    const auto& modes = w.view->viewModeActions();
    std::vector<std::pair<QString, QImage>> shots;
    for (QAction* mode : modes) {
        mode->trigger();
        QApplication::processEvents();
        shots.emplace_back(mode->text().remove(u'&'), w.view->levelCanvas()->grab().toImage());
    }
    // The editor with the tiled preview open, over the checkerboard.
    modes.back()->trigger();
    frame->menuAction(QStringLiteral("TiledPreview1"))->trigger();
    QApplication::processEvents();
    auto* preview = frame->findChild<quorvel::TiledPreview*>();
    auto* previewWindow = qobject_cast<QMdiSubWindow*>(preview->parentWidget());
    // The view below the paint toolbar, the preview to the right of both.
    auto* viewWindow = qobject_cast<QMdiSubWindow*>(w.view->parentWidget());
    const QRect toolbar = qobject_cast<QMdiSubWindow*>(w.toolbar->parentWidget())->geometry();
    viewWindow->move(toolbar.left(), toolbar.bottom() + 8);
    const int right = std::max(toolbar.right(), viewWindow->geometry().right());
    frame->resize(frame->width() + std::max(0, right + 12 + previewWindow->width() + 8 -
                                                   frame->workspace()->viewport()->width()),
                  frame->height());
    QApplication::processEvents();
    previewWindow->move(right + 12, 8);
    QApplication::processEvents();
    const QImage editor = frame->grab().toImage();

    const int cell = shots.front().second.width();
    const int gap = 12, label = 20;
    const int stripWidth = int(shots.size()) * (cell + gap) - gap;
    const int width = std::max(stripWidth, editor.width()) + 2 * gap;
    QImage out(width, gap + label + cell + gap + editor.height() + gap, QImage::Format_RGB32);
    out.fill(qRgb(245, 245, 245));
    QPainter painter(&out);
    QFont font = painter.font();
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);
    for (std::size_t i = 0; i < shots.size(); ++i) {
        const int x = gap + int(i) * (cell + gap);
        painter.drawText(QRect(x, gap, cell, label), Qt::AlignCenter, shots[i].first);
        painter.drawImage(x, gap + label, shots[i].second);
    }
    painter.drawImage(gap, gap + label + cell + gap, editor);
    painter.end();
    frame->hide();
    if (!out.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
