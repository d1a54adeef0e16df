#include "app/SelfCheck.h"

#include "paint/ToolSettings.h"
#include "windows/TForm5.h"

#include "app/EditorWindows.h"
#include "app/TForm1.h"
#include "document/EditorTitle.h"
#include "document/TextureDocument.h"
#include "windows/TForm10.h"
#include "windows/TForm2.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <functional>
#include <memory>

namespace quorvel {

namespace {

class SelfCheck : public QObject {
public:
    SelfCheck(const EditorWindows& windows, const QString& reportPath)
        : QObject(windows.frame), w_(windows), report_(reportPath)
    {
        report_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
        clock_.start();
        waitFor([this] { return w_.frame->windowTitle() != QString::fromLatin1(kEditorTitle); },
                [this] {
                    // The notice on top is dismissed first, as a user does, so that it hides
                    // nothing of the level.
                    if (w_.notice != nullptr && w_.notice->isVisible()) w_.notice->button1()->click();
                    QTimer::singleShot(500, this, &SelfCheck::checkShown);
                });
    }

private:
    void line(const QString& text)
    {
        report_.write(text.toUtf8() + '\n');
        report_.flush();
    }

    // Polls `ready` every 50 ms and runs `then` once it holds (or after 10 s).
    void waitFor(std::function<bool()> ready, std::function<void()> then)
    {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, timer, ready, then] {
            if (!ready() && clock_.elapsed() < 10000) return;
            timer->deleteLater();
            timer->stop();
            then();
        });
        timer->start(50);
    }

    void checkShown()
    {
        line(QStringLiteral("title=") + w_.frame->windowTitle());
        line(QStringLiteral("active=%1").arg(w_.frame->isActiveWindow() ? "yes" : "no"));
        const TextureDocument& d = w_.frame->document();
        const LevelCanvas* canvas = w_.view->levelCanvas();
        line(QStringLiteral("zoom=%1").arg(w_.view->zoom()));
        if (d.levelCount() > 0 && canvas->isVisible()) {
            const QImage& level = d.levelImage(1);
            const QPoint at = canvas->mapToGlobal(QPoint(0, 0));
            QScreen* screen = canvas->screen();
            const QImage shot = screen->grabWindow(0, at.x(), at.y(), level.width(), level.height())
                                    .toImage()
                                    .convertToFormat(QImage::Format_RGB32);
            int differing = 0;
            for (int y = 0; y < level.height(); ++y)
                for (int x = 0; x < level.width(); ++x)
                    if (shot.size() != level.size() || (shot.pixel(x, y) & 0xFFFFFF) != (level.pixel(x, y) & 0xFFFFFF))
                        ++differing;
            line(QStringLiteral("level1=%1").arg(differing == 0 ? QStringLiteral("drawn")
                                                              : QStringLiteral("%1 pixels differ").arg(differing)));
        } else {
            line(QStringLiteral("level1=not shown"));
        }
        checkClosedToolbar();
        exitAnswering(QMessageBox::No, [this] {
            line(QStringLiteral("after-no=running"));
            exitAnswering(QMessageBox::Yes, [] {});
        });
    }

    // The toolbar closed by its system menu's Close: it is hidden, picking on the level still
    // writes the tool settings, and Window > Toolbar shows it again.
    void checkClosedToolbar()
    {
        auto* sub = qobject_cast<QMdiSubWindow*>(w_.toolbar->parentWidget());
        QAction* close = nullptr;
        for (QAction* action : sub->systemMenu()->actions())
            if (action->text() == QStringLiteral("&Close")) close = action;
        if (close != nullptr) close->trigger();
        QApplication::processEvents();
        line(QStringLiteral("toolbar-closed=%1").arg(sub->isHidden() ? "hidden" : "shown"));
        ToolSettings& tools = w_.frame->toolSettings();
        tools.selectPickColor();
        LevelCanvas* canvas = w_.view->levelCanvas();
        const QPoint at(1, 1);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, canvas->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {});
            QApplication::sendEvent(canvas, &event);
        }
        const TextureDocument& d = w_.frame->document();
        const std::optional<QRgb> stored = d.storedPixel(d.currentLevel(), at);
        const bool matches = stored && tools.fieldValue(ToolField::Red) == qRed(*stored) &&
                             tools.fieldValue(ToolField::Alpha) == qAlpha(*stored);
        line(QStringLiteral("picked=%1").arg(matches ? "the level's pixel" : "something else"));
        tools.selectPaint();
        w_.frame->menuAction(QStringLiteral("WindowToolbar1"))->trigger();
        QApplication::processEvents();
        line(QStringLiteral("toolbar-back=%1").arg(sub->isVisible() ? "shown" : "hidden"));
    }

    // File > Exit through the menu item; the question it asks is answered with `answer`.
    void exitAnswering(QMessageBox::StandardButton answer, std::function<void()> after)
    {
        QPointer<QTimer> answering = new QTimer(this);
        connect(answering, &QTimer::timeout, this, [this, answering, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            answering->stop();
            line(QStringLiteral("question=%1: %2").arg(box->windowTitle(), box->text()));
            if (QAbstractButton* button = box->button(answer)) button->click();
        });
        answering->start(50);
        w_.frame->menuAction(QStringLiteral("exit1"))->trigger();
        if (answering) answering->deleteLater();
        after();
    }

    EditorWindows w_;
    QFile report_;
    QElapsedTimer clock_;
};

} // namespace

void startSelfCheckIfAsked(const EditorWindows& windows)
{
    const QString report = qEnvironmentVariable("QUORVEL_SELF_CHECK");
    if (!report.isEmpty()) new SelfCheck(windows, report);
}

} // namespace quorvel
