// The dialogs of the windows' benchmarks: they answer nothing (an open dialog gives
// `openAnswer`), and an error is printed on stderr instead of shown.
#pragma once

#include "windows/Dialogs.h"

#include <cstdio>

namespace quorvel::bench {

class SilentDialogs final : public Dialogs {
public:
    QString openAnswer;

protected:
    QString doOpenFileName(QWidget*, const FileDialogOptions&) override { return openAnswer; }
    QString doSaveFileName(QWidget*, const FileDialogOptions&) override { return {}; }
    QStringList doOpenFileNames(QWidget*, const FileDialogOptions&) override { return {}; }
    std::optional<QColor> doColour(QWidget*, const QColor&) override { return std::nullopt; }
    std::optional<QString> doText(QWidget*, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    QMessageBox::StandardButton doQuestion(QWidget*, const QString&, const QString&, QMessageBox::StandardButtons,
                                           QMessageBox::Icon) override
    {
        return QMessageBox::Cancel;
    }
    void doError(QWidget*, const QString& message) override { std::fprintf(stderr, "%s\n", qPrintable(message)); }
    void doBeep() override {}
};

} // namespace quorvel::bench
