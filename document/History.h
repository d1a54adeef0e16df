// The document's history: every change of the texture is one step on Qt's undo stack, with the
// text Edit > Undo and the History window show ("Paint", "Import rock.tga", "Flags"). The stack
// is the document's own (TextureDocument::history()), so windows only push to it and show it.
//
// What a step keeps. A stroke keeps the colour and alpha of the rectangle it touched; any other
// change keeps the document's levels, table, list and texts as they were on its other side.
// Both keep only one side: undo and redo are the same exchange of what the step holds with what
// the document holds, so after a redo the step holds the "before" again, after an undo the
// "after". Images are Qt's shared images, so a kept level costs memory only once the document's
// own copy of it changes.
//
// Bounded memory. The steps together keep at most byteLimit() bytes (256 MB of pixels, the
// rest counted at a fixed 4 KB a step); the oldest steps are dropped first. Qt's own count limit
// (QUndoStack::setUndoLimit) may only be set on an empty stack, so dropping is done by taking
// the kept steps out of the stack's commands, clearing the stack and pushing them again without
// running them (see trim()); the clean state moves with them or, when it was dropped, becomes
// unreachable.
//
// The stack's clean state is the document's saved state: TextureDocument::isModified follows it.
// Open and New clear the history; a save marks the clean state.
#pragma once

#include "document/HeaderTexts.h"

#include <QImage>
#include <QObject>
#include <QRect>
#include <QUndoStack>

#include <functional>
#include <memory>

namespace quorvel {

class TextureDocument;

class History : public QObject {
    Q_OBJECT

public:
    // 256 MB of pixels.
    static constexpr qint64 kDefaultByteLimit = qint64(256) * 1024 * 1024;
    // What a step costs besides its pixels (its text, header, list and texts), counted alike for
    // every step so that many small steps are bounded too.
    static constexpr qint64 kStepOverhead = 4096;

    explicit History(TextureDocument& document);
    ~History() override;

    QUndoStack& stack() { return stack_; }
    const QUndoStack& stack() const { return stack_; }

    // The bytes the steps keep, counted as above (each image a step keeps counted whole, also
    // while it is still shared with the document, so the true figure is never more).
    qint64 bytes() const;
    qint64 byteLimit() const { return byteLimit_; }
    // Drops the oldest steps at once when they keep more than `limit`.
    void setByteLimit(qint64 limit);

    // One change of the document as one step named `text`: runs `change`, then keeps what it
    // changed. A change that changes nothing adds no step. When `change` raises, what it changed
    // before that is still one step, and the error passes on.
    void change(const QString& text, const std::function<void()>& change);
    // The working texts set to `texts` by typing into header field `field` (its index in the
    // header's field table), named by the field's label. Typing into one field is one step until
    // endTyping(); typing the field back to the text it had removes the step.
    void editTexts(const HeaderTexts& texts, int field, const QString& label);
    // The field typed into lost the focus: the next keystroke starts a new step.
    void endTyping() { ++typing_; }

    // A stroke on `level` that began over `colour` and `alpha` (the level's images as they were
    // at the press, which the document's own have since left) and changed pixels inside `rect`
    // at most. Keeps only the rectangle's "before"; a stroke that changed no pixel adds no step.
    void addStroke(const QString& text, int level, const QRect& rect, const QImage& colour, const QImage& alpha);

    // Edit > Undo and Edit > Redo: a stroke still being drawn (its button held while the keys are
    // pressed) first becomes a step of its own, so that what it drew is not left out of the
    // history.
    void undo();
    void redo();
    // The stroke being drawn, as a function that makes it a step so far; none: an empty one.
    void setOpenStroke(std::function<void()> finish) { openStroke_ = std::move(finish); }

    // Open and New: no step is kept.
    void clear();

    // Held while a step changes the document: changes made meanwhile are the history's, and the
    // document's modified state is its clean state. A stroke holds it for every segment.
    class Recording {
    public:
        explicit Recording(TextureDocument& document);
        ~Recording();
        Recording(const Recording&) = delete;
        Recording& operator=(const Recording&) = delete;

    private:
        TextureDocument& document_;
    };

    // Whether the stack is being rebuilt by trim(): its announcements then say nothing new.
    bool rebuilding() const { return rebuilding_; }

signals:
    // bytes() changed.
    void bytesChanged(qint64 bytes);

private:
    class Step;
    class StrokeStep;
    class DocumentStep;
    class Command;

    void push(std::shared_ptr<Step> step, const QString& text);
    // Drops the oldest steps while the steps keep more than the limit; the present step and
    // those above it stay.
    void trim();
    // Ends the part of a stroke drawn so far as a step of its own and takes the stroke's next
    // "before" from the document as it is now; nothing without a stroke.
    void settleStroke();

    TextureDocument& document_;
    QUndoStack stack_;
    qint64 byteLimit_ = kDefaultByteLimit;
    int typing_ = 0;
    bool rebuilding_ = false;
    std::function<void()> openStroke_;
};

} // namespace quorvel
