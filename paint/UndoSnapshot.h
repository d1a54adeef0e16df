// The one step of undo: the pressed level's colour picture and alpha plane as they were at the
// last press on the level view, in every drawing mode. Undo puts both back into that level, so
// a stroke's alpha goes with its colour (restoring the colour alone would leave the new alphas
// under the old colours, and the next save would write those colours wrongly unblended).
//
// The copies share the document's pixels until the first segment changes them, so a press
// costs no copy; the first change after a press copies the level once. A change of several
// levels at once (rebuilding the smaller levels) keeps each of them the same way.
#pragma once

#include <QImage>
#include <QObject>

#include <utility>
#include <vector>

namespace quorvel {

class TextureDocument;

class UndoSnapshot : public QObject {
    Q_OBJECT

public:
    explicit UndoSnapshot(QObject* parent = nullptr);

    // Edit > Undo is available: after a press, until Undo. Not at start.
    bool available() const { return available_; }
    // The level the snapshot was taken from (0 before the first).
    int level() const { return level_; }

    // Replaces the snapshot with present level `level` of `document` and makes Undo available.
    // A level that is not present leaves everything as it was.
    void take(const TextureDocument& document, int level);
    // The same for present levels first..last, put back together by one Undo.
    void takeLevels(const TextureDocument& document, int first, int last);
    // Puts the snapshot back into its level, makes that level current and makes Undo
    // unavailable. Returns false, changing no pixel, when Undo is not available or the level is
    // no longer present at the size it had (it was removed or the texture replaced since); of
    // several levels, none is put back unless all are.
    bool undo(TextureDocument& document);
    // Drops the snapshot; Undo becomes unavailable.
    void clear();

signals:
    void availableChanged(bool available);

private:
    void setAvailable(bool available);

    bool available_ = false;
    int level_ = 0;
    // Of levels level_, level_ + 1, ...
    std::vector<std::pair<QImage, QImage>> levels_;
};

} // namespace quorvel
