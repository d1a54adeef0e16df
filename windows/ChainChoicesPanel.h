// The chain choices as the import dialog (TForm7) and the wizard's page 1 (TForm11) show them:
// "Resampling" (Point (exact), Box, Box in linear light), "Use the picture's alpha", and "Keep
// alpha-test coverage at" with its value, which asks for the picture's alpha and is enabled only
// with it. 356 x 72 pixels, three rows.
#pragma once

#include "import/ChainChoices.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace quorvel {

class ChainChoicesPanel : public QWidget {
public:
    explicit ChainChoicesPanel(QWidget* parent = nullptr);

    ChainChoices choices() const;
    void setChoices(const ChainChoices& choices);

    QComboBox* resamplingBox() const { return resampling_; }
    QCheckBox* ownAlphaBox() const { return ownAlpha_; }
    QCheckBox* coverageBox() const { return coverage_; }
    QSpinBox* coverageValue() const { return coverageValue_; }

private:
    void enableCoverage();

    QComboBox* resampling_;
    QCheckBox* ownAlpha_;
    QCheckBox* coverage_;
    QSpinBox* coverageValue_;
};

} // namespace quorvel
