#include "paint/UndoSnapshot.h"

#include "document/TextureDocument.h"

namespace quorvel {

UndoSnapshot::UndoSnapshot(QObject* parent) : QObject(parent) {}

void UndoSnapshot::take(const TextureDocument& document, int level)
{
    takeLevels(document, level, level);
}

void UndoSnapshot::takeLevels(const TextureDocument& document, int first, int last)
{
    if (first < 1 || last < first || last > document.levelCount()) return;
    level_ = first;
    levels_.clear();
    for (int k = first; k <= last; ++k) levels_.emplace_back(document.levelImage(k), document.alphaPlane(k));
    setAvailable(true);
}

bool UndoSnapshot::undo(TextureDocument& document)
{
    if (!available_) return false;
    bool restorable = level_ + int(levels_.size()) - 1 <= document.levelCount();
    for (std::size_t i = 0; restorable && i < levels_.size(); ++i) {
        const auto& [colour, alpha] = levels_[i];
        restorable = document.levelSize(level_ + int(i)) == colour.size() && colour.size() == alpha.size();
    }
    if (restorable) {
        for (std::size_t i = 0; i < levels_.size(); ++i)
            document.setLevelPixels(level_ + int(i), levels_[i].first, levels_[i].second);
        // Showing a level returns the view to zoom 1, so only a different level is shown anew.
        if (document.currentLevel() != level_) document.setCurrentLevel(level_);
    }
    clear();
    return restorable;
}

void UndoSnapshot::clear()
{
    levels_.clear();
    setAvailable(false);
}

void UndoSnapshot::setAvailable(bool available)
{
    if (available == available_) return;
    available_ = available;
    emit availableChanged(available);
}

} // namespace quorvel
