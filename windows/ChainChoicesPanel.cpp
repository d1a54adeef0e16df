#include "windows/ChainChoicesPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>

namespace quorvel {

ChainChoicesPanel::ChainChoicesPanel(QWidget* parent)
    : QWidget(parent),
      resampling_(new QComboBox(this)),
      ownAlpha_(new QCheckBox(QStringLiteral("Use the picture's alpha"), this)),
      coverage_(new QCheckBox(QStringLiteral("Keep alpha-test coverage at"), this)),
      coverageValue_(new QSpinBox(this))
{
    setObjectName(QStringLiteral("ChainChoices"));
    auto* label = new QLabel(QStringLiteral("Resampling"), this);
    label->setObjectName(QStringLiteral("ResamplingLabel"));
    label->setGeometry(0, 2, 84, 18);
    label->setBuddy(resampling_);
    // In the order of Resampling's values.
    resampling_->addItems({QStringLiteral("Point (exact)"), QStringLiteral("Box"), QStringLiteral("Box in linear light")});
    resampling_->setObjectName(QStringLiteral("Resampling"));
    resampling_->setGeometry(88, 0, 160, 22);
    ownAlpha_->setObjectName(QStringLiteral("UsePictureAlpha"));
    ownAlpha_->setGeometry(0, 26, 300, 20);
    coverage_->setObjectName(QStringLiteral("KeepCoverage"));
    coverage_->setGeometry(0, 50, 220, 20);
    coverageValue_->setObjectName(QStringLiteral("CoverageValue"));
    coverageValue_->setRange(1, 255);
    coverageValue_->setGeometry(224, 49, 60, 22);
    setFixedSize(356, 72);

    connect(ownAlpha_, &QCheckBox::toggled, this, &ChainChoicesPanel::enableCoverage);
    connect(coverage_, &QCheckBox::toggled, this, &ChainChoicesPanel::enableCoverage);
    setChoices({});
}

ChainChoices ChainChoicesPanel::choices() const
{
    return {Resampling(resampling_->currentIndex()), ownAlpha_->isChecked(), coverage_->isChecked(),
            coverageValue_->value()};
}

void ChainChoicesPanel::setChoices(const ChainChoices& choices)
{
    resampling_->setCurrentIndex(int(choices.resampling));
    ownAlpha_->setChecked(choices.keepPictureAlpha);
    coverage_->setChecked(choices.holdCoverage);
    coverageValue_->setValue(choices.coverageReference);
    enableCoverage();
}

void ChainChoicesPanel::enableCoverage()
{
    coverage_->setEnabled(ownAlpha_->isChecked());
    coverageValue_->setEnabled(ownAlpha_->isChecked() && coverage_->isChecked());
}

} // namespace quorvel
