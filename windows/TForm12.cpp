#include "windows/TForm12.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvel {

TForm12::TForm12(QWidget* parent) : QDialog(parent), m32bar_(new QProgressBar(this))
{
    setObjectName(QStringLiteral("TForm12"));
    setWindowTitle(QStringLiteral("Importing progress"));
    setModal(false);

    QLabel* label = boldLabel(QStringLiteral("Busy importing image..."), this);
    label->setObjectName(QStringLiteral("Label1"));
    m32bar_->setObjectName(QStringLiteral("m32bar"));
    m32bar_->setRange(0, 100);
    m32bar_->setValue(0);
    m32bar_->setMinimumWidth(260);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m32bar_);
    setFixedSize(sizeHint());
}

void TForm12::start(int maximum)
{
    m32bar_->setRange(0, std::max(maximum, 0));
    m32bar_->setValue(0);
    show();
    raise();
    repaint_.now();
}

void TForm12::advance(int position)
{
    const int shown = std::clamp(position, 0, m32bar_->maximum());
    if (shown == m32bar_->value()) return;
    m32bar_->setValue(shown);
    repaint_.soon();
}

} // namespace quorvel
