#include "windows/TForm11.h"

#include "base/Paths.h"
#include "graphics/PictureRegistry.h"
#include "import/BatchConversion.h"
#include "import/ChainChoices.h"
#include "import/ImportedPicture.h"
#include "windows/ChainChoicesPanel.h"
#include "windows/Dialogs.h"
#include "windows/WindowHelpers.h"

#include <QDir>
#include <QFileSystemModel>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTreeView>

#include <algorithm>

namespace quorvel {

namespace {

// OpenDialog3: several files, one filter entry listing every picture kind the import reads,
// under the label it has always had.
const QString kAddFilterLabel = QStringLiteral(".bmp;.ico;.emf;.wmf;.tga");

constexpr int kPageLeft = 132, kPageTop = 8, kPageWidth = 372, kPageHeight = 248;

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y, int width = 356)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(x, y, width, 18);
    return l;
}

QProgressBar* bar(QWidget* parent, const char* name, int y)
{
    auto* b = new QProgressBar(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setRange(0, 100);
    b->setValue(0);
    b->setGeometry(8, y, 356, 20);
    return b;
}

// The bar at `position`, a position past the maximum showing a full bar.
void setBar(QProgressBar* bar, int position)
{
    bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
}

} // namespace

TForm11::TForm11(TextureDocument& document, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      document_(document),
      outputDirectory_(QDir::currentPath()),
      nextButton_(new QPushButton(QStringLiteral("&Next"), this)),
      backButton_(new QPushButton(QStringLiteral("<= &Back"), this)),
      cancelButton_(new QPushButton(QStringLiteral("&Cancel"), this))
{
    setObjectName(QStringLiteral("TForm11"));
    setWindowTitle(QStringLiteral("Batch conversion Wizard"));
    setModal(false);
    createBand();
    for (int i = 0; i < 4; ++i) {
        pages_[i] = new QGroupBox(this);
        pages_[i]->setObjectName(QStringLiteral("step%1").arg(i + 1));
        pages_[i]->setGeometry(kPageLeft, kPageTop, kPageWidth, kPageHeight);
    }
    createOptionsPage(pages_[0]);
    createFilesPage(pages_[1]);
    createOutputPage(pages_[2]);
    createProgressPage(pages_[3]);
    createButtons();

    mipmapsOption_->setChecked(true);
    showPage(1);
}

void TForm11::createBand()
{
    // The navy band on the left.
    auto* band = new QFrame(this);
    band->setObjectName(QStringLiteral("Panel1"));
    band->setGeometry(8, 8, 116, kPageHeight);
    band->setAutoFillBackground(true);
    QPalette navy = band->palette();
    navy.setColor(QPalette::Window, QColor(0, 0, 128));
    band->setPalette(navy);
}

void TForm11::createOptionsPage(QGroupBox* step1)
{
    label(step1, "Label3", QStringLiteral("Please select how you would like the Wizard to"), 8, 12);
    label(step1, "Label4", QStringLiteral("handle your images."), 8, 30);
    mipmapsOption_ = new QRadioButton(QStringLiteral("Create m32 and mipmaps for every image"), step1);
    mipmapsOption_->setObjectName(QStringLiteral("RadioButton1"));
    mipmapsOption_->setGeometry(8, 60, 356, 20);
    oneLevelOption_ = new QRadioButton(QStringLiteral("Create m32 with no mipmaps for every image"), step1);
    oneLevelOption_->setObjectName(QStringLiteral("RadioButton2"));
    oneLevelOption_->setGeometry(8, 84, 356, 20);
    label(step1, "Label8", QStringLiteral("Flag"), 8, 120, 40);
    flagBox_ = new QLineEdit(QStringLiteral("2048"), step1);
    flagBox_->setObjectName(QStringLiteral("Edit1"));
    flagBox_->setGeometry(52, 118, 90, 22);
    label(step1, "Label12", QStringLiteral("Alpha"), 160, 120, 40);
    alphaBox_ = new QLineEdit(QStringLiteral("255"), step1);
    alphaBox_->setObjectName(QStringLiteral("Edit2"));
    alphaBox_->setGeometry(204, 118, 60, 22);
    chainChoices_ = new ChainChoicesPanel(step1);
    chainChoices_->move(8, 146);
    label(step1, "Label5", QStringLiteral("Click the NEXT button to continue."), 8, 220);
}

void TForm11::createFilesPage(QGroupBox* step2)
{
    label(step2, "Label1", QStringLiteral("Add  the files you wish to convert to m32."), 8, 12);
    fileList_ = new QListWidget(step2);
    fileList_->setObjectName(QStringLiteral("ListBox1"));
    fileList_->setGeometry(8, 36, 270, 176);
    addButton_ = new QPushButton(QStringLiteral("&Add"), step2);
    addButton_->setObjectName(QStringLiteral("BitBtn1"));
    addButton_->setGeometry(286, 36, 78, 26);
    removeButton_ = new QPushButton(QStringLiteral("&Remove"), step2);
    removeButton_->setObjectName(QStringLiteral("BitBtn2"));
    removeButton_->setGeometry(286, 68, 78, 26);
    label(step2, "Label2", QStringLiteral("Click the NEXT button to continue."), 8, 220);
}

void TForm11::createOutputPage(QGroupBox* step3)
{
    label(step3, "Label9", QStringLiteral("Please select the directory to which the m32 files should"), 8, 12);
    label(step3, "Label10", QStringLiteral("be saved..."), 8, 30);
    // This platform has no drives: one tree of directories stands in for the drive and
    // directory selectors.
    directories_ = new QFileSystemModel(this);
    directories_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    directories_->setRootPath(QDir::rootPath());
    directoryTree_ = new QTreeView(step3);
    directoryTree_->setObjectName(QStringLiteral("Directoryoutline1"));
    directoryTree_->setModel(directories_);
    for (int column = 1; column < directories_->columnCount(); ++column) directoryTree_->hideColumn(column);
    directoryTree_->header()->hide();
    directoryTree_->setGeometry(8, 54, 356, 160);
    label(step3, "Label11", QStringLiteral("Click the FINISH button to start processing."), 8, 220);
    chooseOutputDirectory(outputDirectory_);
    connect(directoryTree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) outputDirectory_ = directories_->filePath(current);
            });
}

void TForm11::createProgressPage(QGroupBox* step4)
{
    label(step4, "Label6", QStringLiteral("The Batch conversion Wizard is now creating the m32 files."), 8, 12);
    label(step4, "Label7", QStringLiteral("This may take a while, please be patient..."), 8, 30);
    processfile_ = label(step4, "processfile", QStringLiteral("-"), 8, 70);
    m32bar_ = bar(step4, "m32bar", 100);
    totalbar_ = bar(step4, "totalbar", 132);
}

void TForm11::createButtons()
{
    backButton_->setObjectName(QStringLiteral("Button2"));
    backButton_->setGeometry(kPageLeft + kPageWidth - 3 * 88, kPageTop + kPageHeight + 8, 80, 26);
    cancelButton_->setObjectName(QStringLiteral("Button3"));
    cancelButton_->setGeometry(kPageLeft + kPageWidth - 2 * 88 + 4, kPageTop + kPageHeight + 8, 80, 26);
    nextButton_->setObjectName(QStringLiteral("Button1"));
    nextButton_->setGeometry(kPageLeft + kPageWidth - 80, kPageTop + kPageHeight + 8, 80, 26);
    setFixedSize(kPageLeft + kPageWidth + 8, kPageTop + kPageHeight + 42);

    connect(nextButton_, &QPushButton::clicked, this, [this] { runCommand(this, [this] { Button1Click(); }); });
    connect(backButton_, &QPushButton::clicked, this, &TForm11::Button2Click);
    // Button3Click, and Escape through QDialog::reject: the wizard closes.
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::hide);
    connect(addButton_, &QPushButton::clicked, this, [this] { runCommand(this, [this] { BitBtn1Click(); }); });
    connect(removeButton_, &QPushButton::clicked, this, &TForm11::BitBtn2Click);
}

void TForm11::setImportDirectory(std::function<QString()> get, std::function<void(const QString&)> set)
{
    importDirectory_ = std::move(get);
    setImportDirectory_ = std::move(set);
}

void TForm11::setSaveChangesFirst(std::function<bool()> saveChangesFirst)
{
    saveChangesFirst_ = std::move(saveChangesFirst);
}

bool TForm11::mayStartRun()
{
    QStringList listed;
    for (int i = 0; i < fileList_->count(); ++i) listed.append(fileList_->item(i)->text());
    const QStringList clashes = outputClashLines(listed);
    if (!clashes.isEmpty()) {
        const QString text = QStringLiteral("These files write the same m32 file, and the later replaces the earlier:\n\n") +
                             clashes.join(u'\n') + QStringLiteral("\n\nConvert them all the same?");
        if (dialogs().question(this, QStringLiteral("Confirm"), text, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return false;
    }
    return !saveChangesFirst_ || saveChangesFirst_();
}

void TForm11::setChainChoicesFile(const QString& path)
{
    chainChoicesFile_ = path;
    chainChoices_->setChoices(readChainChoices(path, QStringLiteral("Wizard")));
}

QGroupBox* TForm11::page(int number) const
{
    return pages_[number - 1];
}

void TForm11::chooseOutputDirectory(const QString& directory)
{
    const QModelIndex index = directories_->index(directory);
    if (!index.isValid()) return;
    directoryTree_->setCurrentIndex(index);
    directoryTree_->scrollTo(index);
    outputDirectory_ = directories_->filePath(index);
}

void TForm11::showPage(int number)
{
    for (int i = 0; i < 4; ++i) pages_[i]->setVisible(i + 1 == number);
}

void TForm11::showEvent(QShowEvent* event)
{
    // A window restored by the window system is no new showing.
    if (!event->spontaneous()) {
        step_ = 1;
        nextButton_->setText(QStringLiteral("&Next"));
        nextButton_->setEnabled(true);
        backButton_->setEnabled(false);
        showPage(1);
        fileList_->clear();
        mipmapsOption_->setChecked(true);
    }
    QDialog::showEvent(event);
}

void TForm11::Button1Click()
{
    switch (step_) {
    case 1:
        showPage(2);
        backButton_->setEnabled(true);
        if (fileList_->count() == 0) nextButton_->setEnabled(false);
        break;
    case 2:
        showPage(3);
        nextButton_->setEnabled(true);
        nextButton_->setText(QStringLiteral("&Finish"));
        break;
    case 3: {
        // Both boxes are refused before page 4 and before any file is touched, so the user can
        // go back and put them right.
        ConversionOptions options =
            conversionOptions(mipmapsOption_->isChecked(), flagBox_->text(), alphaBox_->text(), outputDirectory_);
        if (!mayStartRun()) return;
        const ChainChoices choices = chainChoices_->choices();
        options.chain = choices.options();
        if (!chainChoicesFile_.isEmpty()) writeChainChoices(chainChoicesFile_, QStringLiteral("Wizard"), choices);
        showPage(4);
        backButton_->setEnabled(false);
        nextButton_->setEnabled(false);
        ++step_;
        convertt(options);
        return;
    }
    default:
        return;
    }
    ++step_;
}

void TForm11::Button2Click()
{
    switch (step_) {
    case 2:
        showPage(1);
        backButton_->setEnabled(false);
        nextButton_->setEnabled(true);
        break;
    case 3:
        showPage(2);
        nextButton_->setText(QStringLiteral("&Next"));
        if (fileList_->count() == 0) nextButton_->setEnabled(false);
        break;
    default:
        return;
    }
    --step_;
}

void TForm11::BitBtn1Click()
{
    FileDialogOptions options;
    if (importDirectory_) options.directory = importDirectory_();
    const QStringList patterns = picturePatterns();
    options.fileName = patterns.join(u';');
    options.filter = filterWithHiddenPatterns(kAddFilterLabel, patterns);
    options.hideFilterPatterns = true;
    const QStringList files = dialogs().openFileNames(this, options);
    if (files.isEmpty()) return;
    if (setImportDirectory_) setImportDirectory_(dirstr(files.constFirst()));
    fileList_->addItems(files);
    nextButton_->setEnabled(true);
}

void TForm11::BitBtn2Click()
{
    const QList<QListWidgetItem*> selected = fileList_->selectedItems();
    if (!selected.isEmpty()) delete fileList_->takeItem(fileList_->row(selected.constFirst()));
    if (fileList_->count() == 0) nextButton_->setEnabled(false);
}

void TForm11::convertt(const ConversionOptions& options)
{
    const int count = fileList_->count();
    totalbar_->setRange(0, count);
    totalbar_->setValue(0);
    ThrottledRepaint repaint;
    for (int i = 0; i < count; ++i) {
        const QString path = fileList_->item(i)->text();
        setBar(totalbar_, i);
        m32bar_->setRange(0, conversionProgressMaximum());
        m32bar_->setValue(0);
        processfile_->setText(path);
        repaint.now();
        quorvel::convertt(document_, path, options, [this, &repaint](int position) {
            setBar(m32bar_, position);
            repaint.soon();
        });
        // Targa, icon and metafile pictures were drawn onto a bitmap.
        if (drawnOnImport(path)) dialogs().beep();
    }
    hide();
}

} // namespace quorvel
