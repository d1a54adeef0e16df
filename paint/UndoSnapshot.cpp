#include "paint/UndoSnapshot.h"

#include "document/TextureDocument.h"

namespace quorvel {

UndoSnapshot::UndoSnapshot(QObject* parent) : QObject(parent) {}

void UndoSnapshot::take(const TextureDocument& document, int level)
{
    if (level < 1 || level > document.levelCount()) return;
    level_ = level;
    colour_ = document.levelImage(level);
    alpha_ = document.alphaPlane(level);
    setAvailable(true);
}

bool UndoSnapshot::undo(TextureDocument& document)
{
    if (!available_) return false;
    const bool restorable = level_ <= document.levelCount() && document.levelSize(level_) == colour_.size()
                            && colour_.size() == alpha_.size();
    if (restorable) {
        document.setLevelPixels(level_, colour_, alpha_);
        // Showing a level returns the view to zoom 1, so only a different level is shown anew.
        if (document.currentLevel() != level_) document.setCurrentLevel(level_);
    }
    clear();
    return restorable;
}

void UndoSnapshot::clear()
{
    colour_ = QImage();
    alpha_ = QImage();
    setAvailable(false);
}

void UndoSnapshot::setAvailable(bool available)
{
    if (available == available_) return;
    available_ = available;
    emit availableChanged(available);
}

} // namespace quorvel
