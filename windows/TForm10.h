// TForm10: the notice shown on top at start that this is a beta version. A borderless white
// window; its "Yeah, yeah" button runs away from the mouse (revealing a small "OK" in the top
// right corner), and either button closes the notice.
#pragma once

#include "base/PseudoRandom.h"

#include <QWidget>

class QPushButton;

namespace quorvel {

class TForm10 : public QWidget {
public:
    explicit TForm10(QWidget* parent = nullptr);

    QPushButton* button1() const { return button1_; }
    QPushButton* button2() const { return button2_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Button1MouseMove: a new place for "Yeah, yeah", top from 0 to height - 21 and left from 0
    // to width - 21 (it may hang partly outside), and "OK" shown.
    void Button1MouseMove();
    // Button2Click: closes the notice; bound to both buttons' clicks.
    void Button2Click();

    QPushButton* button1_;
    QPushButton* button2_;
    PseudoRandom random_;
    bool centred_ = false;
};

} // namespace quorvel
