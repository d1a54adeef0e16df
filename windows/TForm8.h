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

} // namespace quorvel
