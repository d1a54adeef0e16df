// The editor as program start builds it, for GUI tests: the real frame and its child windows
// over one document, the settings file in a temporary directory, and the dialogs answered by
// the test (each call recorded) instead of by a user.
#pragma once

#include "app/EditorWindows.h"
#include "app/TForm1.h"
#include "document/TextureDocument.h"
#include "windows/Dialogs.h"
#include "windows/TForm2.h"
#include "windows/TForm3.h"
#include "windows/TForm4.h"
#include "windows/TForm5.h"
#include "windows/TiledPreview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <ostream>

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace quorvel::test {

// Answers the commands' dialogs from queues; an empty queue cancels (and a question is answered
// Cancel). Every call is recorded.
class FakeDialogs final : public Dialogs {
public:
    struct FileCall {
        bool save;
        FileDialogOptions options;
    };
    struct QuestionCall {
        QString title, text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon;
    };

    std::deque<QString> fileAnswers;
    std::deque<QStringList> fileListAnswers;  // for openFileNames
    std::deque<std::optional<QColor>> colourAnswers;
    std::deque<std::optional<QString>> textAnswers;
    std::deque<QMessageBox::StandardButton> questionAnswers;
    std::vector<FileCall> fileCalls;
    std::vector<QuestionCall> questionCalls;
    std::vector<QColor> colourCalls;  // the initial colour of each colour dialog
    QStringList textCalls;            // the label of each text dialog
    QStringList errors;
    int beeps = 0;
    // Run while a dialog is "open" (to show a window of its own, for instance).
    std::function<void()> whileOpen;

protected:
    QString doOpenFileName(QWidget*, const FileDialogOptions& options) override { return file(false, options); }
    QString doSaveFileName(QWidget*, const FileDialogOptions& options) override { return file(true, options); }
    QMessageBox::StandardButton doQuestion(QWidget*, const QString& title, const QString& text,
                                           QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) override
    {
        questionCalls.push_back({title, text, buttons, icon});
        if (whileOpen) whileOpen();
        if (questionAnswers.empty()) return QMessageBox::Cancel;
        const auto answer = questionAnswers.front();
        questionAnswers.pop_front();
        return answer;
    }
    QStringList doOpenFileNames(QWidget*, const FileDialogOptions& options) override
    {
        fileCalls.push_back({false, options});
        if (whileOpen) whileOpen();
        return next(fileListAnswers, QStringList());
    }
    std::optional<QColor> doColour(QWidget*, const QColor& initial) override
    {
        colourCalls.push_back(initial);
        if (whileOpen) whileOpen();
        return next(colourAnswers, std::optional<QColor>());
    }
    std::optional<QString> doText(QWidget*, const QString&, const QString& label, const QString&) override
    {
        textCalls.append(label);
        if (whileOpen) whileOpen();
        return next(textAnswers, std::optional<QString>());
    }
    void doError(QWidget*, const QString& message) override { errors.append(message); }
    void doBeep() override { ++beeps; }

private:
    template <typename T>
    static T next(std::deque<T>& answers, T cancelled)
    {
        if (answers.empty()) return cancelled;
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString file(bool save, const FileDialogOptions& options)
    {
        fileCalls.push_back({save, options});
        if (whileOpen) whileOpen();
        if (fileAnswers.empty()) return {};
        const QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Writes a texture of levels of the given sides, each pixel a pattern of its level with alpha
// that varies, and the texts given.
inline void writeTexture(const QString& path, const std::vector<QSize>& sizes, const HeaderTexts& texts = HeaderTexts())
{
    TextureDocument d;
    for (const QSize& size : sizes) {
        const int k = d.appendLevel(size.width(), size.height(), QString());
        d.editPixels(k, QRect(QPoint(0, 0), size), [k](QImage& image, QImage& alpha) {
            for (int y = 0; y < image.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                uchar* a = alpha.scanLine(y);
                for (int x = 0; x < image.width(); ++x) {
                    row[x] = qRgb((x * 7 + k * 40) & 255, (y * 5) & 255, (x ^ y) & 255);
                    a[x] = uchar(x * 3 + y);
                }
            }
        });
    }
    d.setTexts(texts);
    d.save(path);
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // The per-user settings (header presets) live in the test's directory, not the home.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
        setDialogs(&fake);
    }

    void TearDown() override
    {
        closeEditor();
        setDialogs(nullptr);
        QApplication::processEvents();
        // Every test leaves no window behind.
        for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible()) << w->metaObject()->className();
    }

    // The editor, shown and active.
    void startEditor()
    {
        w = createEditorWindows(document, settingsPath());
        frame.reset(w.frame);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        QApplication::processEvents();
    }

    void closeEditor()
    {
        if (!frame) return;
        // What the test changed is given up, not saved.
        if (document.isModified()) fake.questionAnswers.push_front(QMessageBox::No);
        frame->close();
        frame.reset();
        w = {};
    }

    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QString settingsPath() const { return path(QStringLiteral("QUORVEL.INI")); }

    // Chooses a menu item as a user does with the keyboard: Alt and the menu's accelerator,
    // then the item's.
    void chooseMenu(char menuKey, char itemKey)
    {
        QTest::keyClick(frame.get(), Qt::Key(Qt::Key_A + (menuKey - 'a')), Qt::AltModifier);
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << "no menu opened for Alt+" << menuKey << " active "
                                 << (QApplication::activeWindow() ? QApplication::activeWindow()->metaObject()->className() : "none")
                                 << " focus " << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none");
        QTest::keyClick(menu, Qt::Key(Qt::Key_A + (itemKey - 'a')));
        QApplication::processEvents();
        backFromMenu();
    }
    // The offscreen platform leaves a closed menu the active window, where a window system gives
    // the focus back to the frame; so does this.
    void backFromMenu()
    {
        if (!frame || !frame->isVisible() || QApplication::activeModalWidget()) return;
        QApplication::processEvents();
        if (QApplication::activeWindow() == frame.get()) return;
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == frame.get(); }));
    }
    // The File menu's recent entry 1..5 by its digit.
    void chooseRecent(int entry)
    {
        QTest::keyClick(frame.get(), Qt::Key_F, Qt::AltModifier);
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QTest::keyClick(menu, Qt::Key(Qt::Key_0 + entry));
        QApplication::processEvents();
        backFromMenu();
    }

    // Opens a file through File > Open.
    void openThroughMenu(const QString& file)
    {
        fake.fileAnswers.push_back(file);
        chooseMenu('f', 'o');
    }

    QStringList settingsLines() const
    {
        return QString::fromUtf8(readFile(settingsPath())).split(QStringLiteral("\r\n"));
    }

    QTemporaryDir dir;
    FakeDialogs fake;
    TextureDocument document;
    EditorWindows w{};
    std::unique_ptr<TForm1> frame;
};

} // namespace quorvel::test
