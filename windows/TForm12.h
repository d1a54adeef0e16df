// TForm12: the import progress window "Importing progress", shown while the import makes the
// levels. Its bar m32bar follows the chain builder's progress reports; the window repaints as
// the bar moves, while the work still runs to its end in one command.
#pragma once

#include "windows/WindowHelpers.h"

#include <QDialog>

class QLabel;
class QProgressBar;

namespace quorvel {

class TForm12 : public QDialog {
public:
    explicit TForm12(QWidget* parent = nullptr);

    // Shows the window with the bar at 0 of `maximum`, painted before the work starts.
    void start(int maximum);
    // The bar at `position` (a position past the maximum shows a full bar).
    void advance(int position);

    QProgressBar* m32bar() const { return m32bar_; }

private:
    QProgressBar* m32bar_;
    ThrottledRepaint repaint_;
};

} // namespace quorvel
