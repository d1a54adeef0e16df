#include "windows/HistoryWindow.h"

#include "document/History.h"
#include "document/TextureDocument.h"

#include <QLabel>
#include <QUndoView>
#include <QVBoxLayout>

namespace quorvel {

QString historyMemoryText(qint64 bytes, qint64 limit)
{
    constexpr double kMegabyte = 1024.0 * 1024.0;
    return QStringLiteral("%1 MB of %2 MB held")
        .arg(double(bytes) / kMegabyte, 0, 'f', 1)
        .arg(double(limit) / kMegabyte, 0, 'f', 0);
}

HistoryWindow::HistoryWindow(TextureDocument& document, QWidget* parent)
    : QWidget(parent),
      document_(document),
      view_(new QUndoView(&document.history().stack(), this)),
      memory_(new QLabel(this))
{
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QStringLiteral("History"));
    view_->setObjectName(QStringLiteral("HistoryView"));
    view_->setEmptyLabel(QStringLiteral("Start"));
    memory_->setObjectName(QStringLiteral("HistoryMemory"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(view_);
    layout->addWidget(memory_);
    resize(240, 320);
    connect(&document_.history(), &History::bytesChanged, this, &HistoryWindow::showMemory);
    showMemory();
}

void HistoryWindow::showMemory()
{
    memory_->setText(historyMemoryText(document_.history().bytes(), document_.history().byteLimit()));
}

} // namespace quorvel
