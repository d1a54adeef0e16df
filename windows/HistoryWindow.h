// Edit > History: the document's history as a list of its steps, the oldest first under "Start"
// (the document as opened or made new); a click on a step takes the document there, undoing or
// redoing every step between. Below the list, the memory the history holds and its limit.
#pragma once

#include <QWidget>

class QLabel;
class QUndoView;

namespace quorvel {

class TextureDocument;

class HistoryWindow : public QWidget {
    Q_OBJECT

public:
    explicit HistoryWindow(TextureDocument& document, QWidget* parent = nullptr);

    QUndoView* view() const { return view_; }
    QLabel* memoryLabel() const { return memory_; }

private:
    void showMemory();

    TextureDocument& document_;
    QUndoView* view_;
    QLabel* memory_;
};

// "12.5 MB of 256 MB held": the history's bytes and limit in MB (1024 x 1024 bytes), one decimal.
QString historyMemoryText(qint64 bytes, qint64 limit);

} // namespace quorvel
