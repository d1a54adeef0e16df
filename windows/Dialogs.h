// The one door through which the editor's commands talk to the user outside their windows: the
// file dialogs, the message boxes and the system beep. Commands call `dialogs()`; the program
// uses the Qt dialogs, and GUI tests install their own answers with setDialogs.
//
// runCommand is the application's error handler: every command runs inside it, and an Error of
// the core (or any other exception) ends the command and is shown once, in a message box.
#pragma once

#include <QColor>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace quorvel {

struct FileDialogOptions {
    QString title;      // empty: the dialog's own
    QString directory;  // the initial directory; empty: the system's default
    QString fileName;   // preset file name, e.g. "*.m32"
    QString filter;     // Qt form: "m32 files (*.m32);;All files (*.*)"
    QString defaultSuffix;
    bool confirmOverwrite = false;
    QString selectedFilter; // the filter chosen when the dialog opens; empty: the first
    // The filters end in a "(*.a *.b)" group for the dialog that is not shown, their own
    // descriptions already naming the patterns ("Metafile (*.emf;*.wmf) (*.emf *.wmf)").
    bool hideFilterPatterns = false;
};

// A filter in Qt's form whose patterns group the dialog does not show when hideFilterPatterns
// is set: "Metafile (*.emf;*.wmf)" with {"*.emf", "*.wmf"} gives
// "Metafile (*.emf;*.wmf) (*.emf *.wmf)".
QString filterWithHiddenPatterns(const QString& description, const QStringList& patterns);

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The chosen path, or empty text when cancelled.
    QString openFileName(QWidget* parent, const FileDialogOptions& options);
    QString saveFileName(QWidget* parent, const FileDialogOptions& options);
    // Several existing files at once; empty when cancelled.
    QStringList openFileNames(QWidget* parent, const FileDialogOptions& options);
    // The colour chooser starting at `initial`; nothing when cancelled.
    std::optional<QColor> colour(QWidget* parent, const QColor& initial);
    // A line of text asked for with `label`; nothing when cancelled.
    std::optional<QString> text(QWidget* parent, const QString& title, const QString& label, const QString& initial);
    // A modal message box with a question icon (or `icon`); the button pressed (Cancel when
    // closed).
    QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::Icon icon = QMessageBox::Question);
    // A modal message box with an error icon, titled with the application's name.
    void error(QWidget* parent, const QString& message);
    void beep();

    // Whether one of these dialogs is open right now: the frame does not count its return from
    // them as the user coming back to it.
    static bool dialogOpen() { return openDialogs_ > 0; }

protected:
    virtual QString doOpenFileName(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual QString doSaveFileName(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual QStringList doOpenFileNames(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual std::optional<QColor> doColour(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<QString> doText(QWidget* parent, const QString& title, const QString& label,
                                          const QString& initial) = 0;
    virtual QMessageBox::StandardButton doQuestion(QWidget* parent, const QString& title, const QString& text,
                                                   QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) = 0;
    virtual void doError(QWidget* parent, const QString& message) = 0;
    virtual void doBeep() = 0;

private:
    static inline int openDialogs_ = 0;
    friend class OpenDialogScope;
};

// The dialogs in use: the Qt ones unless a test installed its own.
Dialogs& dialogs();
// Installs `replacement` (not owned; nullptr restores the Qt dialogs).
void setDialogs(Dialogs* replacement);

// Runs a command; an exception it raises is shown by dialogs().error and the program goes on.
// Returns whether the command ran to its end.
bool runCommand(QWidget* parent, const std::function<void()>& command);

} // namespace quorvel
