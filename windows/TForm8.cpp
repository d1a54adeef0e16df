#include "windows/TForm8.h"

#include "document/EditorTitle.h"

#include "windows/WindowHelpers.h"

#include <QLabel>
#include <QShowEvent>

namespace quorvel {

namespace {

struct AboutLine {
    const char* text;
    bool bold;
};

// Label1 to Label13, top to bottom: the makers, then each project thanked with its role and
// two lines of thanks, then the contact line.
constexpr AboutLine kAboutLines[] = {
    {"Quorvel was created and programmed by", false},
    {"the Quorvel developers", true},
    {"Special thanx go to:", false},
    {"Qt - the toolkit", true},
    {"for the windows, menus, dialogs, images and files the editor is made of,", false},
    {"and for the offscreen platform its window tests run on.", false},
    {"GoogleTest - the test framework", true},
    {"for the tests that check every reader, writer, window and command", false},
    {"each time the program is built.", false},
    {"LLVM's libFuzzer - the fuzzing engine", true},
    {"for feeding the picture and texture readers millions of broken files", false},
    {"until none of them could crash or hang.", false},
    {"Problems, questions, ideas: see \"Reporting problems\" in the README.", false},
};

} // namespace

TForm8::TForm8(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TForm8"));
    setWindowTitle(QStringLiteral("About Quorvel"));
    setFixedSize(506, 330);

    int top = 12;
    int number = 1;
    for (const AboutLine& line : kAboutLines) {
        auto* label = new QLabel(QString::fromUtf8(line.text), this);
        label->setObjectName(QStringLiteral("Label%1").arg(number));
        if (line.bold) makeBold(label);
        // A heading line starts a group, so it gets a little room above it.
        if (line.bold && number > 2) top += 6;
        label->setGeometry(line.bold || number <= 3 || number == 13 ? 16 : 32, top, 474, 20);
        top += 22;
        if (number == 12) top += 8;
        ++number;
    }
    // The version the title shows, at the right of the first line.
    auto* version = new QLabel(QStringLiteral("Version %1").arg(QString::fromLatin1(kProgramVersion)), this);
    version->setObjectName(QStringLiteral("LabelVersion"));
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    version->setGeometry(290, 12, 200, 20);
    closeOnEscape(this);
}

void TForm8::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Centred when first shown; where the user moves it later it stays.
    if (!centred_) centreOnScreen(this);
    centred_ = true;
}

} // namespace quorvel
