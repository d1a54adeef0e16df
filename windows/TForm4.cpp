#include "windows/TForm4.h"

#include "document/History.h"
#include "document/TextureDocument.h"
#include "windows/Dialogs.h"
#include "windows/WindowHelpers.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

namespace quorvel {

TForm4::TForm4(TextureDocument& document, QWidget* parent)
    : QWidget(parent),
      document_(document),
      comboBox_(new QComboBox(this)),
      removeButton_(new QPushButton(QStringLiteral("remove"), this)),
      addButton_(new QPushButton(QStringLiteral("add"), this)),
      replaceButton_(new QPushButton(QStringLiteral("replace…"), this))
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Mipmaps"));
    setFixedSize(271 + 64, 30);

    QLabel* label = boldLabel(QStringLiteral("Mipmaps:"), this);
    label->setObjectName(QStringLiteral("Label22"));
    label->setGeometry(6, 4, 66, 22);

    comboBox_->setObjectName(QStringLiteral("ComboBox1"));
    comboBox_->setEditable(false);
    comboBox_->setGeometry(72, 4, 100, 22);
    removeButton_->setObjectName(QStringLiteral("Button2"));
    removeButton_->setGeometry(176, 4, 50, 22);
    addButton_->setObjectName(QStringLiteral("Button1"));
    addButton_->setGeometry(229, 4, 38, 22);
    addButton_->setEnabled(false);
    replaceButton_->setObjectName(QStringLiteral("ReplaceButton"));
    replaceButton_->setGeometry(270, 4, 60, 22);
    replaceButton_->setEnabled(false);

    // ComboBox1Click: choosing an entry, even the one shown, shows its level afresh.
    connect(comboBox_, &QComboBox::activated, this, [this](int entry) {
        runCommand(this, [this, entry] { ShowwM32(entry); });
    });
    connect(removeButton_, &QPushButton::clicked, this, [this] { runCommand(this, [this] { Button2Click(); }); });
    connect(addButton_, &QPushButton::clicked, this, [this] {
        if (addHandler_) runCommand(this, addHandler_);
    });

    connect(replaceButton_, &QPushButton::clicked, this, [this] {
        if (replaceHandler_) runCommand(this, replaceHandler_);
    });

    connect(&document_, &TextureDocument::levelsChanged, this, &TForm4::showEntries);
    connect(&document_, &TextureDocument::currentLevelChanged, this, &TForm4::selectCurrentLevel);
    showEntries();
}

void TForm4::ShowwM32(int entry)
{
    document_.setCurrentLevel(entry + 1);
}

void TForm4::setAddHandler(std::function<void()> handler)
{
    addHandler_ = std::move(handler);
    addButton_->setEnabled(bool(addHandler_));
}

void TForm4::setReplaceHandler(std::function<void()> handler)
{
    replaceHandler_ = std::move(handler);
    replaceButton_->setEnabled(bool(replaceHandler_));
}

void TForm4::showEntries()
{
    const QSignalBlocker blocker(comboBox_);
    comboBox_->clear();
    comboBox_->addItems(document_.levelEntries());
    selectCurrentLevel();
}

void TForm4::selectCurrentLevel()
{
    const QSignalBlocker blocker(comboBox_);
    const int entry = document_.currentLevel() - 1;
    comboBox_->setCurrentIndex(entry < comboBox_->count() ? entry : (comboBox_->count() > 0 ? 0 : -1));
}

void TForm4::Button2Click()
{
    const int entry = comboBox_->currentIndex();
    // Nothing to remove: the beep that meets an action with nothing to act on.
    if (document_.levelCount() == 0 || entry < 0) {
        dialogs().beep();
        return;
    }
    document_.history().change(QStringLiteral("Remove level"), [&] { document_.removeLevel(entry + 1); });
}

} // namespace quorvel
