#include "document/History.h"

#include "document/TextureDocument.h"

#include <QSet>

#include <cstring>
#include <vector>

namespace quorvel {

namespace {

// Writes `patch` into `image` at `at`, row by row (both of one format).
void putRows(QImage& image, const QImage& patch, QPoint at)
{
    const qsizetype rowBytes = qsizetype(patch.width()) * (patch.depth() / 8);
    for (int y = 0; y < patch.height(); ++y)
        std::memcpy(image.scanLine(at.y() + y) + qsizetype(at.x()) * (image.depth() / 8), patch.constScanLine(y),
                    std::size_t(rowBytes));
}

bool sameRows(const QImage& a, const QImage& b)
{
    const qsizetype rowBytes = qsizetype(a.width()) * (a.depth() / 8);
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), std::size_t(rowBytes)) != 0) return false;
    return true;
}

bool sameHeader(const M32Header& a, const M32Header& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

// What one step keeps, apart from the Qt command that stands for it on the stack, so that the
// stack can be rebuilt around the same steps (trim()).
class History::Step {
public:
    virtual ~Step() = default;
    // Undo and redo alike: what the step holds and what the document holds change places.
    virtual void exchange(TextureDocument& document) = 0;
    // The pixels' bytes the step keeps.
    virtual qint64 pixelBytes() const = 0;
    // Typing into header field `field`: the steps of one field and one typing merge (-1: none).
    virtual int mergeId() const { return -1; }
    // Takes in the later step `later` of the same id; returns whether it did.
    virtual bool mergeWith(const Step&) { return false; }
    // After a merge: the step changes nothing any more.
    virtual bool unchanged(const TextureDocument&) const { return false; }
};

// A stroke: the colour and alpha of the rectangle it touched on its level.
class History::StrokeStep final : public Step {
public:
    StrokeStep(int level, QPoint at, QImage colour, QImage alpha)
        : level_(level), at_(at), colour_(std::move(colour)), alpha_(std::move(alpha))
    {
    }
    void exchange(TextureDocument& document) override
    {
        const QRect rect(at_, colour_.size());
        QImage colour = colour_, alpha = alpha_;
        document.editPixels(level_, rect, [&](QImage& image, QImage& plane) {
            colour_ = image.copy(rect);
            alpha_ = plane.copy(rect);
            putRows(image, colour, at_);
            putRows(plane, alpha, at_);
        });
        // The level is shown where the stroke was made; showing it anew returns the view to zoom
        // 1, so only a different level is shown.
        if (document.currentLevel() != level_) document.setCurrentLevel(level_);
    }
    qint64 pixelBytes() const override { return colour_.sizeInBytes() + alpha_.sizeInBytes(); }

private:
    int level_;
    QPoint at_;
    QImage colour_;
    QImage alpha_;
};

// Any other change: the document's state on the step's other side.
class History::DocumentStep final : public Step {
public:
    DocumentStep(TextureDocument::State other, const TextureDocument::State& now, int mergeId)
        : other_(std::move(other)), mergeId_(mergeId)
    {
        // A step renews the file's name only when it renewed the document (an import into a
        // fresh texture); every other keeps the name a save gave since.
        withFile_ = other_.file != now.file;
        // Each image of one side that the other does not share is the step's to keep: counted
        // for both sides, since after an undo the step keeps the "after".
        QSet<qint64> keys;
        for (const auto& slot : now.levels) keys << slot.image.cacheKey() << slot.alpha.cacheKey();
        QSet<qint64> otherKeys;
        for (const auto& slot : other_.levels) otherKeys << slot.image.cacheKey() << slot.alpha.cacheKey();
        const auto add = [this](const QImage& image, const QSet<qint64>& shared) {
            if (!image.isNull() && !shared.contains(image.cacheKey())) bytes_ += image.sizeInBytes();
        };
        for (const auto& slot : other_.levels) {
            add(slot.image, keys);
            add(slot.alpha, keys);
        }
        for (const auto& slot : now.levels) {
            add(slot.image, otherKeys);
            add(slot.alpha, otherKeys);
        }
    }
    void exchange(TextureDocument& document) override
    {
        TextureDocument::State held = document.state();
        document.restore(other_, withFile_);
        other_ = std::move(held);
    }
    qint64 pixelBytes() const override { return bytes_; }
    int mergeId() const override { return mergeId_; }
    bool mergeWith(const Step& later) override { return later.mergeId() == mergeId_ && mergeId_ != -1; }
    bool unchanged(const TextureDocument& document) const override
    {
        const TextureDocument::State now = document.state();
        return now.texts == other_.texts && sameHeader(now.header, other_.header) && now.entries == other_.entries;
    }

private:
    TextureDocument::State other_;
    int mergeId_;
    bool withFile_ = false;
    qint64 bytes_ = 0;
};

// The step's stand-in on Qt's stack. Pushing runs redo(), but every step has already changed the
// document when it is pushed, so the first redo does nothing; so does every redo and undo while
// the stack is being rebuilt.
class History::Command final : public QUndoCommand {
public:
    Command(History& history, std::shared_ptr<Step> step, const QString& text)
        : history_(history), step_(std::move(step))
    {
        // The menu's text shows "&" as the accelerator mark; the history's list shows it plain.
        setText(text + u'\n' + QString(text).replace(u'&', QStringLiteral("&&")));
    }
    void redo() override
    {
        if (std::exchange(pushed_, false) || history_.rebuilding_) return;
        run();
    }
    void undo() override
    {
        if (!history_.rebuilding_) run();
    }
    int id() const override { return history_.rebuilding_ ? -1 : step_->mergeId(); }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* later = static_cast<const Command*>(other);
        if (!step_->mergeWith(*later->step_)) return false;
        setObsolete(step_->unchanged(history_.document_));
        return true;
    }
    const std::shared_ptr<Step>& step() const { return step_; }

private:
    void run()
    {
        Recording recording(history_.document_);
        step_->exchange(history_.document_);
    }

    History& history_;
    std::shared_ptr<Step> step_;
    bool pushed_ = true;
};

History::Recording::Recording(TextureDocument& document) : document_(document)
{
    ++document_.recording_;
}

History::Recording::~Recording()
{
    --document_.recording_;
}

History::History(TextureDocument& document) : document_(document)
{
    connect(&stack_, &QUndoStack::indexChanged, this, [this] {
        if (!rebuilding_) emit bytesChanged(bytes());
    });
}

History::~History()
{
    // The stack clears itself as it goes, announcing it to a document and windows that are
    // going too.
    stack_.blockSignals(true);
}

qint64 History::bytes() const
{
    qint64 total = 0;
    for (int i = 0; i < stack_.count(); ++i)
        total += static_cast<const Command*>(stack_.command(i))->step()->pixelBytes() + kStepOverhead;
    return total;
}

void History::setByteLimit(qint64 limit)
{
    byteLimit_ = limit;
    trim();
}

void History::settleStroke()
{
    if (openStroke_) openStroke_();
}

void History::change(const QString& text, const std::function<void()>& change)
{
    // A stroke still drawn becomes its own step first, and takes its next "before" from what
    // the change leaves.
    settleStroke();
    TextureDocument::State before = document_.state();
    const auto keep = [&] {
        const TextureDocument::State after = document_.state();
        bool same = before.file == after.file && sameHeader(before.header, after.header) &&
                    before.texts == after.texts && before.entries == after.entries;
        for (int k = 0; same && k < kMaxLevels; ++k)
            same = before.levels[k].image.cacheKey() == after.levels[k].image.cacheKey() &&
                   before.levels[k].alpha.cacheKey() == after.levels[k].alpha.cacheKey();
        if (!same) push(std::make_shared<DocumentStep>(std::move(before), after, -1), text);
    };
    try {
        Recording recording(document_);
        change();
    } catch (...) {
        keep();
        settleStroke();
        throw;
    }
    keep();
    settleStroke();
}

void History::editTexts(const HeaderTexts& texts, int field, const QString& label)
{
    if (texts == document_.texts()) return;
    TextureDocument::State before = document_.state();
    {
        Recording recording(document_);
        document_.setTexts(texts);
    }
    // One id for each field and each time it is typed into; the ids of texts steps lie apart
    // from -1, the id of steps that never merge.
    constexpr int kFields = 64;
    const int id = (typing_ & 0xFFFFF) * kFields + (field % kFields);
    push(std::make_shared<DocumentStep>(std::move(before), document_.state(), id), label);
}

void History::addStroke(const QString& text, int level, const QRect& rect, const QImage& colour, const QImage& alpha)
{
    if (level < 1 || level > document_.levelCount()) return;
    const QRect inside = rect & QRect(QPoint(0, 0), document_.levelSize(level)) & colour.rect() & alpha.rect();
    if (inside.isEmpty()) return;
    QImage beforeColour = colour.copy(inside), beforeAlpha = alpha.copy(inside);
    // A press that changed no pixel (a click, a pick) is no step.
    if (sameRows(beforeColour, document_.levelImage(level).copy(inside)) &&
        sameRows(beforeAlpha, document_.alphaPlane(level).copy(inside)))
        return;
    push(std::make_shared<StrokeStep>(level, inside.topLeft(), std::move(beforeColour), std::move(beforeAlpha)), text);
}

// A stroke still drawn becomes its own step before the stack moves, and takes its next "before"
// from the pixels the move leaves.
void History::undo()
{
    settleStroke();
    stack_.undo();
    settleStroke();
}

void History::redo()
{
    settleStroke();
    stack_.redo();
    settleStroke();
}

void History::clear()
{
    // The document has been replaced: what a stroke still drawn kept of the old one goes with
    // the old history, and the stroke goes on from the new pixels.
    settleStroke();
    stack_.clear();
    settleStroke();
    emit bytesChanged(bytes());
}

void History::push(std::shared_ptr<Step> step, const QString& text)
{
    stack_.push(new Command(*this, std::move(step), text));
    trim();
    emit bytesChanged(bytes());
}

void History::trim()
{
    // Only steps below the present one are dropped (the oldest first); the steps above it stay
    // to be redone, and the present step stays where it is.
    const int count = stack_.count();
    const int index = stack_.index();
    qint64 total = bytes();
    int dropped = 0;
    while (total > byteLimit_ && index - dropped > 1) {
        total -= static_cast<const Command*>(stack_.command(dropped))->step()->pixelBytes() + kStepOverhead;
        ++dropped;
    }
    if (dropped == 0) return;
    std::vector<std::pair<std::shared_ptr<Step>, QString>> kept;
    for (int i = dropped; i < count; ++i) {
        const auto* command = static_cast<const Command*>(stack_.command(i));
        kept.emplace_back(command->step(), command->text() + u'\n' + command->actionText());
    }
    const int clean = stack_.cleanIndex() - dropped;
    rebuilding_ = true;
    stack_.clear();
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (int(i) == clean) stack_.setClean();
        auto* command = new Command(*this, kept[i].first, QString());
        command->setText(kept[i].second);
        stack_.push(command);
    }
    if (clean == int(kept.size()))
        stack_.setClean();
    else if (clean < 0)
        stack_.resetClean();
    // Back to the present step; no step runs while rebuilding.
    stack_.setIndex(index - dropped);
    rebuilding_ = false;
    document_.announceModified();
}

} // namespace quorvel
