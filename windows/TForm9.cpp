#include "windows/TForm9.h"

#include "base/HelpFiles.h"
#include "windows/Dialogs.h"
#include "windows/WindowHelpers.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quorvel {

namespace {

// A tab holding one memo that fills it, 8 pixels in from its edges.
QPlainTextEdit* addMemoTab(QTabWidget* pages, const char* tabName, const char* memoName, const QString& caption)
{
    auto* tab = new QWidget(pages);
    tab->setObjectName(QString::fromLatin1(tabName));
    auto* memo = new QPlainTextEdit(tab);
    memo->setObjectName(QString::fromLatin1(memoName));
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The help texts are plain text laid out in columns (underlined headings, indented lists).
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(memo);
    pages->addTab(tab, caption);
    return memo;
}

} // namespace

TForm9::TForm9(const QStringList& directories, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      directories_(directories),
      pageControl1_(new QTabWidget(this))
{
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(QStringLiteral("How to..."));
    setFixedSize(640, 480);
    pageControl1_->setObjectName(QStringLiteral("PageControl1"));
    memo1_ = addMemoTab(pageControl1_, "TabSheet1", "Memo1", QStringLiteral("Make textures"));
    memo2_ = addMemoTab(pageControl1_, "TabSheet2", "Memo2", QStringLiteral("Make icons/portraits"));
    pageControl1_->setCurrentIndex(0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pageControl1_);
    closeOnEscape(this);
}

void TForm9::FormShow()
{
    runCommand(this, [this] {
        memo1_->setPlainText(readHelpText(helpFilePath(QString::fromLatin1(kTexturesHelpFile), directories_)));
        memo2_->setPlainText(readHelpText(helpFilePath(QString::fromLatin1(kIconsHelpFile), directories_)));
    });
}

void TForm9::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A window restored from the task bar is no new showing.
    if (!event->spontaneous()) FormShow();
}

} // namespace quorvel
