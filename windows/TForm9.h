// TForm9: the how-to window "How to...". Two tabs, "Make textures" and "Make icons/portraits",
// each a read-only memo showing one of the plain-text help files (textures.txt, icons.txt).
// Both files are read again every time the window is shown, so edits made meanwhile show.
#pragma once

#include <QStringList>
#include <QWidget>

class QPlainTextEdit;
class QTabWidget;

namespace quorvel {

class TForm9 : public QWidget {
public:
    // The help files are looked up in `directories`, in order (helpDirectories() at program start).
    explicit TForm9(const QStringList& directories, QWidget* parent = nullptr);

    // FormShow: textures.txt into Memo1, then icons.txt into Memo2. A file that cannot be read
    // is shown once as "Cannot open file PATH"; when textures.txt fails icons.txt is not read,
    // and a memo not reached keeps what it held.
    void FormShow();

    // Where the help files are looked up from the next showing on.
    void setHelpDirectories(const QStringList& directories) { directories_ = directories; }

    QTabWidget* pageControl() const { return pageControl1_; }
    QPlainTextEdit* memo1() const { return memo1_; }
    QPlainTextEdit* memo2() const { return memo2_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QStringList directories_;
    QTabWidget* pageControl1_;
    QPlainTextEdit* memo1_;
    QPlainTextEdit* memo2_;
};

} // namespace quorvel
