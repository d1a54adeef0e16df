#include "windows/TForm7.h"

#include "document/History.h"
#include "document/TextureDocument.h"
#include "graphics/PictureRegistry.h"
#include "import/Import.h"
#include "import/ImportedPicture.h"
#include "import/PictureKinds.h"
#include "windows/ChainChoicesPanel.h"
#include "windows/Dialogs.h"
#include "windows/TForm12.h"
#include "windows/WindowHelpers.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>

namespace quorvel {

namespace {

constexpr int kPreviewSide = 128;

// Image1: the picture drawn stretched over the whole 128 x 128 area, whatever its size.
class PicturePreview : public QWidget {
public:
    PicturePreview(const QImage& picture, QWidget* parent) : QWidget(parent), picture_(picture)
    {
        setObjectName(QStringLiteral("Image1"));
        setFixedSize(kPreviewSide, kPreviewSide);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.setClipRegion(event->region());
        if (picture_.isNull())
            painter.fillRect(rect(), palette().window());
        else
            painter.drawImage(rect(), picture_);
    }

private:
    const QImage& picture_;
};

} // namespace

TForm7::TForm7(TextureDocument& document, TForm12& progress, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint),
      document_(document),
      progress_(progress),
      preview_(nullptr),
      allSizesBox_(new QCheckBox(QStringLiteral("Automatically create all sizes"), this)),
      insertBox_(new QCheckBox(QStringLiteral("Insert image into current file"), this)),
      okButton_(new QPushButton(QStringLiteral("OK"), this)),
      cancelButton_(new QPushButton(QStringLiteral("Cancel"), this))
{
    registerAllPictureKinds();
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("Import"));
    setModal(false);

    auto* heading = new QLabel(QStringLiteral("Import image as mipmap"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    makeBold(heading);
    heading->setGeometry(8, 8, 300, 20);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(8, 32, kPreviewSide + 4, kPreviewSide + 4);
    preview_ = new PicturePreview(picture_, panel);
    preview_->move(2, 2);

    allSizesBox_->setObjectName(QStringLiteral("CheckBox2"));
    allSizesBox_->setChecked(true);
    allSizesBox_->setGeometry(152, 36, 230, 20);
    auto* required = new QLabel(QStringLiteral("(required for textures)"), this);
    required->setObjectName(QStringLiteral("Label2"));
    required->setGeometry(170, 56, 200, 18);
    insertBox_->setObjectName(QStringLiteral("CheckBox1"));
    insertBox_->setChecked(false);
    insertBox_->setGeometry(152, 84, 230, 20);

    okButton_->setObjectName(QStringLiteral("button1"));
    okButton_->setGeometry(152, 138, 100, 26);
    okButton_->setDefault(true);
    cancelButton_->setObjectName(QStringLiteral("BitBtn1"));
    cancelButton_->setGeometry(264, 138, 100, 26);
    chainChoices_ = new ChainChoicesPanel(this);
    chainChoices_->move(8, 176);
    setFixedSize(376, 256);

    connect(okButton_, &QPushButton::clicked, this, [this] { runCommand(this, [this] { Button1Click(); }); });
    connect(cancelButton_, &QPushButton::clicked, this, &TForm7::Button2Click);
    // Escape closes the dialog as Cancel does (QDialog::reject).
}

void TForm7::loadpicture(const QString& path)
{
    // Read once, refused by its header's size before it is decoded, and taken both ways only
    // when it has alpha of its own: the chain choices may ask for it at OK.
    const std::unique_ptr<Graphic> graphic = loadLevelPicture(path);
    QImage withAlpha = importedImage(path, *graphic, true);
    QImage picture = withAlpha.hasAlphaChannel() ? importedImage(path, *graphic) : withAlpha;
    picture_ = std::move(picture);
    pictureName_ = QFileInfo(path).fileName();
    alphaPicture_ = withAlpha.hasAlphaChannel() ? std::move(withAlpha) : QImage();
    if (drawnOnImport(path)) dialogs().beep();
    preview_->update();
}

void TForm7::Button1Click()
{
    const ChainChoices choices = chainChoices_->choices();
    const ImportOptions options{allSizesBox_->isChecked(), insertBox_->isChecked(), choices.options()};
    const QImage& picture = choices.keepPictureAlpha && !alphaPicture_.isNull() ? alphaPicture_ : picture_;
    // Refused before the dialog closes, so that the user can change the options and try again.
    checkImport(document_, picture, options);
    if (!options.insert && saveChangesFirst_ && !saveChangesFirst_()) return;
    if (!chainChoicesFile_.isEmpty()) writeChainChoices(chainChoicesFile_, QStringLiteral("Import"), choices);
    progress_.start(importProgressMaximum(picture));
    hide();
    // The progress window closes also when making the levels fails; the error is shown after.
    struct CloseProgress {
        TForm12& window;
        ~CloseProgress() { window.hide(); }
    } closeProgress{progress_};
    // Import and insert alike are one step, named after the picture's file.
    document_.history().change(QStringLiteral("Import %1").arg(pictureName_), [&] {
        importIntoDocument(document_, picture, options, [this](int position) { progress_.advance(position); });
    });
}

void TForm7::setChainChoicesFile(const QString& path)
{
    chainChoicesFile_ = path;
    chainChoices_->setChoices(readChainChoices(path, QStringLiteral("Import")));
}

void TForm7::setSaveChangesFirst(std::function<bool()> saveChangesFirst)
{
    saveChangesFirst_ = std::move(saveChangesFirst);
}

void TForm7::Button2Click()
{
    hide();
}

} // namespace quorvel
