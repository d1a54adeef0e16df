#include "windows/TForm10.h"

#include "windows/WindowHelpers.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QWindow>

namespace quorvel {

namespace {

QLabel* addLabel(QWidget* window, const char* name, const QString& text, const QRect& place)
{
    auto* label = new QLabel(text, window);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(place);
    return label;
}

} // namespace

TForm10::TForm10(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      button1_(nullptr),
      button2_(nullptr)
{
    setObjectName(QStringLiteral("TForm10"));
    setWindowTitle(QStringLiteral("Quorvel"));
    setFixedSize(513, 226);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);

    // Made first, so every other line is drawn over it.
    QLabel* beta = addLabel(this, "Label2", QStringLiteral("BETA 2"), QRect(24, 36, 465, 130));
    QFont big = beta->font();
    big.setPixelSize(96);
    big.setBold(true);
    beta->setFont(big);
    beta->setAlignment(Qt::AlignCenter);
    QPalette red = beta->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    beta->setPalette(red);

    QLabel* heading = addLabel(this, "Label1", QStringLiteral("This is a BETA test of Quorvel"), QRect(16, 8, 460, 24));
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPixelSize(18);
    heading->setFont(bold);
    const char* lines[] = {
        "Note that this BETA version MIGHT contain some bugs in it.",
        "Therefore, you are strongly advised to install the final version",
        "when it comes out.",
        "If you find any bugs, please report them as soon as you can to",
        "the Quorvel developers (see \"Reporting problems\" in the README).",
        "Btw, don't hesitate to send me some positive feedback as well.",
    };
    int top = 44;
    int number = 3;
    for (const char* line : lines) {
        const QByteArray name = "Label" + QByteArray::number(number++);
        addLabel(this, name.constData(), QString::fromLatin1(line), QRect(16, top, 480, 20));
        top += 22;
    }

    button1_ = new QPushButton(QStringLiteral("Yeah, yeah"), this);
    button1_->setObjectName(QStringLiteral("Button1"));
    button1_->setGeometry(192, 184, 137, 33);
    // Moves of the mouse over it without a button held reach it too.
    button1_->setMouseTracking(true);
    button1_->installEventFilter(this);
    button2_ = new QPushButton(QStringLiteral("OK"), this);
    button2_->setObjectName(QStringLiteral("Button2"));
    button2_->setGeometry(480, 0, 33, 17);
    button2_->hide();
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TForm10::Button2Click);
    connect(button1_, &QPushButton::clicked, this, &TForm10::Button2Click);
    connect(button2_, &QPushButton::clicked, this, &TForm10::Button2Click);
}

bool TForm10::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == button1_ && event->type() == QEvent::MouseMove) Button1MouseMove();
    return QWidget::eventFilter(watched, event);
}

bool TForm10::event(QEvent* event)
{
    // A modal message box (a start file that fails to open, say) would be hidden under the
    // notice and could not be answered, while the notice itself takes no input until it is:
    // the notice gives up its place on top for as long as the box is open.
    if (event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowUnblocked) {
        if (QWindow* window = windowHandle())
            window->setFlag(Qt::WindowStaysOnTopHint, event->type() == QEvent::WindowUnblocked);
        if (event->type() == QEvent::WindowUnblocked) raise();
    }
    return QWidget::event(event);
}

void TForm10::Button1MouseMove()
{
    const int top = random_.below(height() - 20);
    const int left = random_.below(width() - 20);
    button1_->move(left, top);
    button2_->show();
}

void TForm10::Button2Click()
{
    close();
    // The notice had the focus at start; the frame takes it back where no window manager gives it.
    if (parentWidget() != nullptr) parentWidget()->activateWindow();
}

void TForm10::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!centred_) centreOnScreen(this);
    centred_ = true;
    // Space or Return on "Yeah, yeah" closes the notice at once.
    button1_->setFocus(Qt::ActiveWindowFocusReason);
}

} // namespace quorvel
