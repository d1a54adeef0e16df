// A mouse stroke on the level view: press, moves, release. The view forwards its mouse events
// here with the point in its own control coordinates and its zoom factor; the stroke draws on
// the document's level image and alpha plane together through editPixels, so every segment
// announces the rectangle it changed (pixelsChanged) and the view repaints only that.
//
// Modes come from the tool settings: Paint lays down the toolbar colour blended over the grey
// by the toolbar alpha, and that alpha; Draw Alpha lays down the alpha while every pixel it
// crosses keeps its own colour, always one pixel wide; Pick color paints nothing and copies the
// colour and alpha under the pointer into the fields at the press and while the tracking flag
// is set.
//
// Each stroke is one step of the document's history ("Paint" or "Draw alpha", by the mode at the
// press), keeping the rectangle it changed; a press that changes no pixel is none.
//
// A control point (X, Y) stands for picture pixel (X div z, Y div z). A point is paintable when
// that pixel lies in the 1024 x 1024 picture, at every zoom; pixels outside the level's own size
// are clipped. Moves that are not paintable draw nothing and leave the pens where they were.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>

namespace quorvel {

class TextureDocument;
class ToolSettings;

// Picture pixel of a control point at zoom `zoom` (1, 2, 4 or 8), dividing towards zero.
QPoint picturePixel(QPoint control, int zoom);
// Whether a move to `control` may paint: its picture pixel lies in 0..1023 on both axes.
bool paintable(QPoint control, int zoom);
// What a segment from `from` to `to` with a pen of `penWidth` may change: the bounding box grown
// by the pen's reach on each side (not yet clipped to the level).
QRect segmentRect(QPoint from, QPoint to, int penWidth);

class Stroke {
public:
    Stroke(TextureDocument& document, ToolSettings& tools);
    ~Stroke();
    Stroke(const Stroke&) = delete;
    Stroke& operator=(const Stroke&) = delete;

    // Any button down on the level view: remembers the current level as it is (for the step the
    // stroke becomes), sets the stroke and pick-tracking flags and puts both pens at the pressed
    // pixel without drawing. In Pick color mode the pressed pixel is picked at once, so a click
    // picks without a move.
    void press(QPoint control, int zoom);
    // Every pointer move over the view, and anywhere while a button is held.
    void move(QPoint control, int zoom);
    // The button up: ends the stroke, which becomes a step of the history when it changed a
    // pixel, and completes a pick in Pick color mode.
    void release();

    // Between press and release.
    bool active() const { return active_; }
    // The picture pixel both pens stand at.
    QPoint penPosition() const { return pen_; }

private:
    void pick(QPoint p);
    void paintSegment(QPoint p);
    // Draw Alpha's segment: each pixel of the one-pixel line gets `alpha` and keeps its colour.
    void drawAlphaSegment(QPoint from, QPoint to, int alpha, int red, int green, int blue);

    // What the stroke drew so far becomes a step; what it draws next is the next one.
    void keepSoFar();
    // Draws through the document, as part of the stroke's step.
    void edit(const QRect& rect, const std::function<void(QImage&, QImage&)>& draw);

    TextureDocument& document_;
    ToolSettings& tools_;
    bool active_ = false;
    int level_ = 1; // the level pressed, which the stroke draws on
    QPoint pen_;
    // The level as it was at the press (shared until the first segment), the step's text, and
    // what the segments may have changed.
    QImage beforeColour_;
    QImage beforeAlpha_;
    QString text_;
    QRect changed_;
};

} // namespace quorvel
