#include "windows/Dialogs.h"

#include "base/Error.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>

#include <exception>

namespace quorvel {

// Counts a dialog as open for as long as it runs.
class OpenDialogScope {
public:
    OpenDialogScope() { ++Dialogs::openDialogs_; }
    ~OpenDialogScope() { --Dialogs::openDialogs_; }
    OpenDialogScope(const OpenDialogScope&) = delete;
    OpenDialogScope& operator=(const OpenDialogScope&) = delete;
};

namespace {

class QtDialogs final : public Dialogs {
protected:
    QString doOpenFileName(QWidget* parent, const FileDialogOptions& o) override
    {
        QFileDialog dialog(parent, o.title, o.directory, o.filter);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        return run(dialog, o);
    }

    QString doSaveFileName(QWidget* parent, const FileDialogOptions& o) override
    {
        QFileDialog dialog(parent, o.title, o.directory, o.filter);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !o.confirmOverwrite);
        return run(dialog, o);
    }

    QStringList doOpenFileNames(QWidget* parent, const FileDialogOptions& o) override
    {
        QFileDialog dialog(parent, o.title, o.directory, o.filter);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        chooseFilter(dialog, o);
        if (dialog.exec() != QDialog::Accepted) return {};
        return dialog.selectedFiles();
    }

    std::optional<QColor> doColour(QWidget* parent, const QColor& initial) override
    {
        QColorDialog dialog(initial, parent);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.selectedColor();
    }

    std::optional<QString> doText(QWidget* parent, const QString& title, const QString& label,
                                  const QString& initial) override
    {
        bool ok = false;
        const QString answer = QInputDialog::getText(parent, title, label, QLineEdit::Normal, initial, &ok);
        if (!ok) return std::nullopt;
        return answer;
    }

    QMessageBox::StandardButton doQuestion(QWidget* parent, const QString& title, const QString& text,
                                           QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) override
    {
        QMessageBox box(icon, title, text, buttons, parent);
        const int answer = box.exec();
        // Closing the box without a button counts as Cancel.
        return box.clickedButton() == nullptr ? QMessageBox::Cancel : QMessageBox::StandardButton(answer);
    }

    void doError(QWidget* parent, const QString& message) override
    {
        QMessageBox::critical(parent, QApplication::applicationName(), message);
    }

    void doBeep() override { QApplication::beep(); }

private:
    static void chooseFilter(QFileDialog& dialog, const FileDialogOptions& o)
    {
        dialog.setOption(QFileDialog::HideNameFilterDetails, o.hideFilterPatterns);
        if (!o.selectedFilter.isEmpty()) dialog.selectNameFilter(o.selectedFilter);
    }

    static QString run(QFileDialog& dialog, const FileDialogOptions& o)
    {
        chooseFilter(dialog, o);
        if (!o.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(o.defaultSuffix);
        // A preset name with a wildcard ("*.m32") only narrows the list, as it does in the
        // dialog's file name box.
        if (!o.fileName.isEmpty() && !o.fileName.contains(u'*')) dialog.selectFile(o.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().constFirst();
    }
};

Dialogs* replacement = nullptr;

} // namespace

QString Dialogs::openFileName(QWidget* parent, const FileDialogOptions& options)
{
    OpenDialogScope scope;
    return doOpenFileName(parent, options);
}

QString Dialogs::saveFileName(QWidget* parent, const FileDialogOptions& options)
{
    OpenDialogScope scope;
    return doSaveFileName(parent, options);
}

QStringList Dialogs::openFileNames(QWidget* parent, const FileDialogOptions& options)
{
    OpenDialogScope scope;
    return doOpenFileNames(parent, options);
}

std::optional<QColor> Dialogs::colour(QWidget* parent, const QColor& initial)
{
    OpenDialogScope scope;
    return doColour(parent, initial);
}

std::optional<QString> Dialogs::text(QWidget* parent, const QString& title, const QString& label,
                                     const QString& initial)
{
    OpenDialogScope scope;
    return doText(parent, title, label, initial);
}

QMessageBox::StandardButton Dialogs::question(QWidget* parent, const QString& title, const QString& text,
                                              QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    OpenDialogScope scope;
    return doQuestion(parent, title, text, buttons, icon);
}

void Dialogs::error(QWidget* parent, const QString& message)
{
    OpenDialogScope scope;
    doError(parent, message);
}

void Dialogs::beep()
{
    doBeep();
}

Dialogs& dialogs()
{
    static QtDialogs qt;
    return replacement != nullptr ? *replacement : qt;
}

void setDialogs(Dialogs* dialogs)
{
    replacement = dialogs;
}

bool runCommand(QWidget* parent, const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const Error& e) {
        dialogs().error(parent, e.message());
    } catch (const std::exception& e) {
        dialogs().error(parent, QString::fromLocal8Bit(e.what()));
    }
    return false;
}

QString filterWithHiddenPatterns(const QString& description, const QStringList& patterns)
{
    return QStringLiteral("%1 (%2)").arg(description, patterns.join(u' '));
}

} // namespace quorvel
