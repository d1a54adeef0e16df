#include "windows/TForm6.h"

#include "document/History.h"
#include "document/TextureDocument.h"
#include "import/AddMipmap.h"
#include "windows/Dialogs.h"
#include "windows/WindowHelpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorvel {

TForm6::TForm6(TextureDocument& document, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint),
      document_(document),
      widthBox_(new QLineEdit(QStringLiteral("1024"), this)),
      heightBox_(new QLineEdit(QStringLiteral("1024"), this)),
      okButton_(new QPushButton(QStringLiteral("OK"), this)),
      cancelButton_(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Add a mipmap"));
    setModal(false);

    QLabel* label = boldLabel(QStringLiteral("New mipmap size:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(8, 8, 200, 20);
    widthBox_->setObjectName(QStringLiteral("Edit1"));
    widthBox_->setGeometry(8, 32, 64, 22);
    QLabel* times = boldLabel(QStringLiteral("x"), this);
    times->setObjectName(QStringLiteral("Label2"));
    times->setAlignment(Qt::AlignCenter);
    times->setGeometry(74, 32, 16, 22);
    heightBox_->setObjectName(QStringLiteral("Edit2"));
    heightBox_->setGeometry(92, 32, 64, 22);
    okButton_->setObjectName(QStringLiteral("BitBtn1"));
    okButton_->setGeometry(8, 64, 72, 26);
    okButton_->setDefault(true);
    cancelButton_->setObjectName(QStringLiteral("BitBtn2"));
    cancelButton_->setGeometry(84, 64, 72, 26);
    setFixedSize(164, 98);

    connect(okButton_, &QPushButton::clicked, this, [this] { runCommand(this, [this] { Button1Click(); }); });
    // Button2Click, and Escape through QDialog::reject: the dialog closes, nothing changes.
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::hide);
}

void TForm6::showDialog()
{
    showInFront(this);
}

void TForm6::Button1Click()
{
    // A refused size raises before the document changes and before the dialog closes.
    document_.history().change(QStringLiteral("Add a mipmap"),
                               [&] { addBlankLevel(document_, widthBox_->text(), heightBox_->text()); });
    hide();
}

} // namespace quorvel
