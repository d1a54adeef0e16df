// TForm8: the About window "About Quorvel": who made the program, the three projects it stands
// on with their roles, and where to report problems. Closing it only hides it.
#pragma once

#include <QWidget>

namespace quorvel {

class TForm8 : public QWidget {
public:
    explicit TForm8(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool centred_ = false;
};

// Places a window of a fixed size in the middle of the screen it is on.
void centreOnScreen(QWidget* window);

} // namespace quorvel
