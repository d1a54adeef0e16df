// File > Import through the real windows: the file dialog, the import dialog with its preview
// and its two options, OK and Cancel, the progress window, and what goes wrong on the way.
#include "tests/windows/ImportFiles.h"

#include "windows/TForm12.h"
#include "windows/TForm7.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace quorvel::test {
namespace {

class ImportWindow : public EditorTest {
protected:
    QString picture(const QString& name, const QByteArray& bytes)
    {
        const QString file = path(name);
        writeFile(file, bytes);
        return file;
    }
    // File > Import, the dialog answered with `file`.
    void importThroughMenu(const QString& file)
    {
        fake.fileAnswers.push_back(file);
        chooseMenu('f', 'i');
    }
    // OK; where the dialog closes, the focus goes back to the frame as a window system gives it.
    void clickOk()
    {
        QTest::mouseClick(w.importDialog->okButton(), Qt::LeftButton);
        if (!w.importDialog->isVisible()) backFromMenu();
    }
};

TEST_F(ImportWindow, FileDialogOffersThePictureKindsInTheImportDirectory)
{
    startEditor();
    frame->setImportDirectory(dir.path());
    chooseMenu('f', 'i'); // cancelled
    ASSERT_EQ(fake.fileCalls.size(), 1u);
    const FileDialogOptions& o = fake.fileCalls[0].options;
    EXPECT_FALSE(fake.fileCalls[0].save);
    EXPECT_EQ(o.directory, dir.path());
    // What the dialog shows of each filter, and the patterns it lists: our own kinds, then those
    // of the platform's plugins that are installed.
    std::vector<std::pair<QString, QString>> rows = {
        {"Windows Bitmap (*.bmp;*.blz;*.dib)", "*.bmp *.blz *.dib"},
        {"Icon Files (*.ico)", "*.ico"},
        {"Metafile (*.emf;*.wmf)", "*.emf *.wmf"},
        {"Compuserver GIF (*.gif)", "*.gif"},
        {"ZSoft PCX (*.pcx)", "*.pcx"},
        {"Targa (*.tga)", "*.tga"},
        {"PNG Image (*.png)", "*.png"},
        {"JPEG Image (*.jpg;*.jpeg)", "*.jpg *.jpeg"},
    };
    if (QImageReader::supportedImageFormats().contains("webp")) rows.push_back({"WebP Image (*.webp)", "*.webp"});
    if (QImageReader::supportedImageFormats().contains("tiff")) rows.push_back({"TIFF Image (*.tif;*.tiff)", "*.tif *.tiff"});
    QStringList all;
    for (const auto& row : rows) all << row.second.split(u' ');
    // Every kind the import reads, each named in the description too.
    rows.push_back({"All Types (" + all.join(u';') + ")", all.join(u' ')});
    EXPECT_EQ(o.fileName, all.join(u';'));
    EXPECT_TRUE(o.fileName.startsWith("*.bmp;*.blz;*.dib;*.ico;*.emf;*.wmf;*.gif;*.pcx;*.tga;*.png;*.jpg;*.jpeg"));
    const QStringList filters = o.filter.split(";;");
    ASSERT_EQ(filters.size(), qsizetype(rows.size()));
    EXPECT_TRUE(o.hideFilterPatterns);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(filters[qsizetype(i)], QStringLiteral("%1 (%2)").arg(rows[i].first, rows[i].second));
    EXPECT_EQ(o.selectedFilter, filters.last());
    EXPECT_FALSE(w.importDialog->isVisible());
    EXPECT_EQ(document.levelCount(), 0);
}

TEST_F(ImportWindow, DialogShowsThePictureStretchedAndItsOptions)
{
    // Four quarters of four colours, 6 x 2 pixels.
    QImage quarters(6, 2, QImage::Format_RGB32);
    const QRgb colours[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x) quarters.setPixel(x, y, colours[(y * 2) + (x / 3)]);
    const QString file = picture("q.bmp", encodeBmp24(quarters));
    startEditor();
    importThroughMenu(file);
    TForm7* dialog = w.importDialog;
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Import");
    EXPECT_EQ(dialog->findChild<QLabel*>("Label1")->text(), "Import image as mipmap");
    EXPECT_TRUE(dialog->findChild<QLabel*>("Label1")->font().bold());
    EXPECT_EQ(dialog->allSizesBox()->text(), "Automatically create all sizes");
    EXPECT_EQ(dialog->findChild<QLabel*>("Label2")->text(), "(required for textures)");
    EXPECT_EQ(dialog->insertBox()->text(), "Insert image into current file");
    EXPECT_TRUE(dialog->allSizesBox()->isChecked());
    EXPECT_FALSE(dialog->insertBox()->isChecked());
    EXPECT_EQ(dialog->okButton()->text(), "OK");
    EXPECT_EQ(dialog->cancelButton()->text(), "Cancel");
    EXPECT_EQ(fake.beeps, 0); // a bitmap is taken as it is
    EXPECT_EQ(settingsLines().value(3), ""); // written only at close
    EXPECT_EQ(frame->settings().importDirectory, dir.path());

    // The preview: 128 x 128, each quarter of the picture a quarter of the area.
    const QImage shown = dialog->preview()->grab().toImage();
    ASSERT_EQ(shown.size(), QSize(128, 128));
    const std::pair<QPoint, QRgb> samples[] = {{{1, 1}, colours[0]},     {{126, 1}, colours[1]}, {{1, 126}, colours[2]},
                                               {{126, 126}, colours[3]}, {{60, 60}, colours[0]}, {{70, 70}, colours[3]}};
    for (const auto& [at, colour] : samples) EXPECT_EQ(shown.pixel(at), colour) << at.x() << "," << at.y();

    // Cancel: the dialog closes and nothing changes.
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(document.levelCount(), 0);
    // Escape closes it the same way.
    importThroughMenu(file);
    ASSERT_TRUE(dialog->isVisible());
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(document.levelCount(), 0);
}

TEST_F(ImportWindow, OkMakesTheChainWithTheProgressWindow)
{
    const QString file = picture("wall.bmp", bmpOf(256, 256));
    startEditor();
    writeTexture(path("old.m32"), {{8, 8}});
    openThroughMenu(path("old.m32"));
    importThroughMenu(file);

    std::vector<int> positions;
    bool shownWhileWorking = true;
    QProgressBar* bar = w.importProgress->m32bar();
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        positions.push_back(value);
        shownWhileWorking = shownWhileWorking && w.importProgress->isVisible() && !w.importDialog->isVisible();
    });
    clickOk();
    EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("; ").toStdString();
    EXPECT_EQ(w.importProgress->windowTitle(), "Importing progress");
    EXPECT_EQ(w.importProgress->findChild<QLabel*>("Label1")->text(), "Busy importing image...");
    EXPECT_FALSE(w.importProgress->isVisible());
    EXPECT_FALSE(w.importDialog->isVisible());
    EXPECT_TRUE(shownWhileWorking);
    EXPECT_EQ(bar->maximum(), 27);
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), 26);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));

    // A fresh texture: nine levels with the worked offsets, alpha 255, level 1 shown.
    EXPECT_EQ(document.levelCount(), 9);
    EXPECT_TRUE(document.currentFile().isEmpty());
    EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA");
    const int offsets[] = {968, 263112, 328648, 345032, 349128, 350152, 350408, 350472, 350488};
    for (int k = 1; k <= 9; ++k) {
        EXPECT_EQ(document.levelSize(k), QSize(256 >> (k - 1), 256 >> (k - 1)));
        EXPECT_EQ(document.header().offsets[k - 1], offsets[k - 1]);
    }
    EXPECT_EQ(document.levelEntries().first(), "256x256");
    EXPECT_EQ(document.levelEntries().last(), "1x1");
    EXPECT_TRUE(alphaEverywhere(document, 255));
    EXPECT_EQ(document.levelImage(2).pixel(3, 5), patternAt(6, 10));
    EXPECT_EQ(document.currentLevel(), 1);
    EXPECT_EQ(w.levels->comboBox()->currentIndex(), 0);
    EXPECT_EQ(w.view->windowTitle(), "[zoom 1x]");
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(256, 256));
}

TEST_F(ImportWindow, OptionsStayAndInsertAppendsAfterTheLastLevel)
{
    startEditor();
    writeTexture(path("t.m32"), {{256, 256}, {128, 128}, {64, 64}});
    openThroughMenu(path("t.m32"));
    const QString file = picture("small.gif", gifOf(128, 128));
    importThroughMenu(file);
    QTest::mouseClick(w.importDialog->insertBox(), Qt::LeftButton);
    QTest::mouseClick(w.importDialog->allSizesBox(), Qt::LeftButton);
    clickOk();
    // One level, the picture's own size, after the three; the file stays the document's.
    ASSERT_EQ(document.levelCount(), 4);
    EXPECT_EQ(document.levelSize(4), QSize(128, 128));
    EXPECT_EQ(document.header().offsets[3], 968 + 4 * (65536 + 16384 + 4096));
    EXPECT_EQ(document.currentLevel(), 4);
    EXPECT_EQ(w.levels->comboBox()->currentIndex(), 3);
    EXPECT_EQ(document.currentFile(), path("t.m32"));
    EXPECT_EQ(document.levelImage(4).pixel(1, 0), qRgb(200, 100, 50));

    // The options as the user left them, the next import with all sizes again.
    importThroughMenu(file);
    EXPECT_TRUE(w.importDialog->insertBox()->isChecked());
    EXPECT_FALSE(w.importDialog->allSizesBox()->isChecked());
    QTest::mouseClick(w.importDialog->allSizesBox(), Qt::LeftButton);
    clickOk();
    ASSERT_EQ(document.levelCount(), 12);
    EXPECT_EQ(document.levelSize(5), QSize(128, 128));
    EXPECT_EQ(document.levelSize(12), QSize(1, 1));
    EXPECT_EQ(document.currentLevel(), 5);
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(128, 128));
}

TEST_F(ImportWindow, TargaIsDrawnWithTheBeepAndOnlyItsColourKept)
{
    const QString file = picture("rock.Tga", tgaOf(64, 16));
    startEditor();
    importThroughMenu(file);
    ASSERT_TRUE(w.importDialog->isVisible());
    EXPECT_EQ(fake.beeps, 1);
    clickOk();
    const QSize sizes[] = {{64, 16}, {32, 8}, {16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}};
    ASSERT_EQ(document.levelCount(), 7);
    for (int k = 1; k <= 7; ++k) EXPECT_EQ(document.levelSize(k), sizes[k - 1]);
    EXPECT_EQ(document.levelImage(1).pixel(5, 3), patternAt(5, 3));
    EXPECT_TRUE(alphaEverywhere(document, 255));
}

TEST_F(ImportWindow, FailuresAreShownAndLeaveTheDocument)
{
    startEditor();
    writeTexture(path("t.m32"), {{8, 8}, {4, 4}});
    openThroughMenu(path("t.m32"));
    const QByteArray before = document.saveToBytes();
    QDir(dir.path()).mkdir("pictures");
    struct Row {
        QString file;
        QString message;
    } rows[] = {
        {picture("pictures/photo.psd", bmpOf(4, 4)), "Unknown picture file extension (.psd)"},
        {picture("pictures/photo.jpg", bmpOf(4, 4)), "JPEG image is not valid: not a JPEG file"},
        {path("pictures/gone.bmp"), "Cannot open file " + path("pictures/gone.bmp")},
        {picture("pictures/bad.bmp", "BM not a bitmap"), ""},
        // Without pixels it would run New and add no level.
        {picture("pictures/empty.tga", tgaOf(0, 10)), "The picture is empty (0 x 10)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.file.toStdString());
        frame->setImportDirectory(dir.path());
        fake.errors.clear();
        importThroughMenu(r.file);
        ASSERT_EQ(fake.errors.size(), 1);
        // The message names the picture on its second line, unless it names it already.
        if (!r.message.isEmpty()) {
            EXPECT_EQ(fake.errors[0], r.message.contains(r.file) ? r.message : r.message + "\n" + r.file);
        }
        EXPECT_FALSE(w.importDialog->isVisible());
        // The directory moved before the file was read.
        EXPECT_EQ(frame->settings().importDirectory, path("pictures"));
        EXPECT_EQ(document.levelCount(), 2);
        EXPECT_EQ(document.saveToBytes(), before);
        EXPECT_EQ(document.currentFile(), path("t.m32"));
    }
}

TEST_F(ImportWindow, LimitsAreRefusedBeforeAnythingChanges)
{
    startEditor();
    std::vector<QSize> fifteen;
    for (int k = 0; k < 15; ++k) fifteen.push_back({2, 2});
    writeTexture(path("t.m32"), fifteen);
    openThroughMenu(path("t.m32"));
    const QByteArray before = document.saveToBytes();

    // Wider than a level can be: refused by its header when chosen, before it is decoded, so
    // the dialog does not show it; the progress window never showed.
    const QString wide = picture("wide.bmp", bmpOf(1100, 2));
    importThroughMenu(wide);
    ASSERT_EQ(fake.errors.size(), 1);
    EXPECT_EQ(fake.errors[0], "The picture is 1100 x 2 pixels; a level has at most 1024 pixels on a side\n" + wide);
    EXPECT_FALSE(w.importDialog->isVisible());
    EXPECT_FALSE(w.importProgress->isVisible());
    EXPECT_EQ(document.levelCount(), 15);

    // Two more levels do not fit after fifteen.
    importThroughMenu(picture("two.bmp", bmpOf(2, 2)));
    QTest::mouseClick(w.importDialog->insertBox(), Qt::LeftButton);
    clickOk();
    ASSERT_EQ(fake.errors.size(), 2);
    EXPECT_TRUE(fake.errors[1].contains("16 levels")) << fake.errors[1].toStdString();
    EXPECT_TRUE(w.importDialog->isVisible());
    EXPECT_EQ(document.saveToBytes(), before);
    EXPECT_EQ(document.currentFile(), path("t.m32"));

    // One more does.
    QTest::mouseClick(w.importDialog->allSizesBox(), Qt::LeftButton);
    clickOk();
    EXPECT_EQ(fake.errors.size(), 2);
    EXPECT_EQ(document.levelCount(), 16);
    EXPECT_FALSE(w.importDialog->isVisible());
}

} // namespace
} // namespace quorvel::test
