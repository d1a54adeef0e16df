// The properties window inside the real frame: its fields and labels in place, typing going to
// the document, the fields following opens, and the limits of the name fields.
#include "tests/support/EditorFixture.h"

#include "document/History.h"
#include "tests/document/M32Bytes.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QComboBox>

namespace quorvel::test {
namespace {

using Properties = EditorTest;

// Types characters that have no key of their own, as an input method delivers them.
void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

TEST_F(Properties, TwentyLabelledFieldsInThreeGroupsWithinTheWindow)
{
    startEditor();
    const QList<QLineEdit*> fields = w.properties->findChildren<QLineEdit*>();
    ASSERT_EQ(fields.size(), 20);
    const QRect client = w.properties->rect();
    for (QLineEdit* f : fields) {
        SCOPED_TRACE(f->objectName().toStdString());
        const QRect at(f->mapTo(w.properties, QPoint(0, 0)), f->size());
        EXPECT_TRUE(client.contains(at));
        EXPECT_EQ(at.height(), 21);
        for (QLineEdit* g : fields) {
            if (g == f) continue;
            EXPECT_FALSE(at.intersects(QRect(g->mapTo(w.properties, QPoint(0, 0)), g->size())));
        }
    }
    // Each group holds its labels; a label's text fits its place.
    const std::map<QString, QStringList> labels = {
        {"GroupBox1", {"Name", "Texture substitution", "Next frame in animationchain", "Image shown when damaged"}},
        {"GroupBox2", {"Flags", "Contents", "Value", "Mipscale", "ScaleX", "ScaleY"}},
        {"GroupBox3",
         {"Detail texture name", "Blendmode :", "Src", "Dst", "Flags", "Damage health", "dt_u", "dt_v", "dt_alpha",
          "ScaleX", "ScaleY"}},
    };
    for (const auto& [group, texts] : labels) {
        const auto* box = w.properties->findChild<QGroupBox*>(group);
        ASSERT_NE(box, nullptr);
        QStringList found;
        for (const QLabel* l : box->findChildren<QLabel*>()) {
            found.append(l->text());
            EXPECT_TRUE(l->font().bold());
            EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width()) << l->text().toStdString();
        }
        for (const QString& t : texts) EXPECT_TRUE(found.contains(t)) << group.toStdString() << " " << t.toStdString();
        EXPECT_EQ(found.size(), texts.size());
    }
    EXPECT_EQ(w.properties->field("Edit6")->text(), "2048");
    EXPECT_EQ(w.properties->field("Edit9")->text(), "1.00");
    EXPECT_EQ(w.properties->field("Edit11")->text(), "1");
    EXPECT_EQ(w.properties->field("Edit19")->text(), "0.00");
}

TEST_F(Properties, TypingGoesToTheDocumentAndOpensRefreshTheFields)
{
    HeaderTexts texts;
    texts.name = QString(128, u'n');
    texts.scale_y = "0.25";
    texts.dt_u = "0";
    texts.detail_flags = "-3";
    const QString file = path("t.m32");
    writeTexture(file, {{8, 8}}, texts);
    startEditor();

    QTest::keyClicks(w.properties->field("Edit3"), "moss");
    QLineEdit* value = w.properties->field("Edit8");
    value->selectAll();
    QTest::keyClicks(value, "-12");
    EXPECT_EQ(document.texts().substitution_name, "moss");
    EXPECT_EQ(document.texts().value, "-12");

    fake.questionAnswers.push_back(QMessageBox::No); // what was typed is not saved
    openThroughMenu(file);
    EXPECT_EQ(w.properties->field("Edit2")->text(), QString(128, u'n'));
    EXPECT_EQ(w.properties->field("Edit3")->text(), "");
    EXPECT_EQ(w.properties->field("Edit8")->text(), "0");
    EXPECT_EQ(w.properties->field("Edit10")->text(), "0.25");
    EXPECT_EQ(w.properties->field("Edit15")->text(), "-3");
    EXPECT_EQ(w.properties->field("Edit17")->text(), " 0.00000000000000E+0000");
    // A long text in a narrow field shows from its start.
    EXPECT_EQ(w.properties->field("Edit17")->cursorPosition(), 0);

    // What the user typed stays as typed after a save.
    QLineEdit* scale = w.properties->field("Edit9");
    scale->selectAll();
    QTest::keyClicks(scale, "1.5");
    chooseMenu('f', 's');
    EXPECT_EQ(scale->text(), "1.5");
    EXPECT_EQ(document.header().scale_x, 1.5f);

    // Typing into one field is one step, named by its label, until the field loses the focus.
    const QUndoStack& history = document.history().stack();
    ASSERT_EQ(history.count(), 1);
    QLineEdit* flags = w.properties->field("Edit6");
    flags->setFocus();
    QTest::keyClicks(flags, "1");
    QTest::keyClicks(flags, "2");
    EXPECT_EQ(history.count(), 2);
    EXPECT_EQ(frame->menuAction("Undo1")->text(), "&Undo Flags");
    w.properties->field("Edit7")->setFocus();
    flags->setFocus();
    ASSERT_TRUE(flags->hasFocus());
    QTest::keyClicks(flags, "3");
    EXPECT_EQ(history.count(), 3);
    chooseMenu('e', 'u');
    EXPECT_EQ(flags->text(), "204812");
    chooseMenu('e', 'u');
    EXPECT_EQ(flags->text(), "2048");
    EXPECT_FALSE(document.isModified()) << "back at the saved state";
}

TEST_F(Properties, NamesTakeAtMost128CharactersOfTheirCodePage)
{
    startEditor();
    QLineEdit* name = w.properties->field("Edit2");
    QTest::keyClicks(name, QString(130, u'a'));
    EXPECT_EQ(name->text().size(), 128);
    EXPECT_EQ(document.texts().name, QString(128, u'a'));

    QLineEdit* detail = w.properties->field("Edit12");
    typeText(detail, QString::fromUtf8("é€ĀЖ—"));
    EXPECT_EQ(detail->text(), QString::fromUtf8("é€—"));
    EXPECT_EQ(document.texts().detail_name, QString::fromUtf8("é€—"));
    // The numbers take any text; Save is where they are checked.
    typeText(w.properties->field("Edit7"), QString::fromUtf8("Ā"));
    EXPECT_EQ(document.texts().contents, QString::fromUtf8("0Ā"));
}

// The fifteen number fields typed as a user types them, each in a form the fields read.
const std::pair<const char*, const char*> kTypedNumbers[] = {
    {"Edit6", "$1000"}, {"Edit7", "-5"},    {"Edit8", "12"},     {"Edit11", "3"},   {"Edit9", "0.5"},
    {"Edit10", "2"},    {"Edit13", "1"},    {"Edit14", "4"},     {"Edit15", "-2"},  {"Edit16", "75.25"},
    {"Edit17", "1e-3"}, {"Edit18", " 0.1"}, {"Edit19", "-0.5"},  {"Edit20", "8"},   {"Edit21", "0.125"},
};

void typeOver(QLineEdit* field, const QString& text)
{
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
}

TEST_F(Properties, APresetSavedAndAppliedGivesTheHeaderTypingGives)
{
    startEditor();
    EXPECT_FALSE(w.properties->applyPresetButton()->isEnabled()); // no preset yet
    typeOver(w.properties->field("Edit2"), "moss");
    for (const auto& [field, text] : kTypedNumbers) typeOver(w.properties->field(field), text);
    const QByteArray typedHeader = document.saveToBytes().left(968);
    EXPECT_EQ(test::i32At(typedHeader, 708), 4096);

    fake.textAnswers.push_back(QStringLiteral("stone"));
    QTest::mouseClick(w.properties->savePresetButton(), Qt::LeftButton);
    EXPECT_EQ(fake.textCalls, QStringList{"Preset name:"});
    EXPECT_EQ(w.properties->presetBox()->currentText(), "stone");

    // New puts the defaults back (the typed texts given up); the name is typed again, the
    // numbers come from the preset.
    fake.questionAnswers.push_back(QMessageBox::No);
    chooseMenu('f', 'n');
    EXPECT_EQ(w.properties->field("Edit6")->text(), "2048");
    typeOver(w.properties->field("Edit2"), "moss");
    QTest::mouseClick(w.properties->applyPresetButton(), Qt::LeftButton);
    for (const auto& [field, text] : kTypedNumbers) EXPECT_EQ(w.properties->field(field)->text(), text) << field;
    EXPECT_EQ(w.properties->field("Edit2")->text(), "moss");
    EXPECT_EQ(document.saveToBytes().left(968).toHex(), typedHeader.toHex());
    EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join('\n').toStdString();
    // Applying is one step.
    EXPECT_EQ(frame->menuAction("Undo1")->text(), "&Undo Apply preset stone");
    chooseMenu('e', 'u');
    EXPECT_EQ(w.properties->field("Edit6")->text(), "2048");
    EXPECT_EQ(w.properties->field("Edit2")->text(), "moss");
    chooseMenu('e', 'd');
    EXPECT_EQ(document.saveToBytes().left(968).toHex(), typedHeader.toHex());

    // The preset outlives the program, kept per user (here the test's directory); saving under
    // the same name replaces it, and an empty name keeps nothing.
    closeEditor();
    EXPECT_TRUE(QFile::exists(path("Quorvel/HeaderPresets.ini")));
    startEditor();
    ASSERT_EQ(w.properties->presetBox()->count(), 1);
    EXPECT_EQ(w.properties->presetBox()->itemText(0), "stone");
    typeOver(w.properties->field("Edit6"), "7");
    fake.textAnswers.push_back(QStringLiteral("stone"));
    fake.textAnswers.push_back(QStringLiteral("  "));
    QTest::mouseClick(w.properties->savePresetButton(), Qt::LeftButton);
    QTest::mouseClick(w.properties->savePresetButton(), Qt::LeftButton);
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_EQ(w.properties->presetBox()->count(), 1);
    typeOver(w.properties->field("Edit6"), "");
    QTest::mouseClick(w.properties->applyPresetButton(), Qt::LeftButton);
    EXPECT_EQ(w.properties->field("Edit6")->text(), "7");
    EXPECT_EQ(w.properties->field("Edit7")->text(), "-5");
}

} // namespace
} // namespace quorvel::test
