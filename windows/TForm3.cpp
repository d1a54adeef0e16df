#include "windows/TForm3.h"

#include "document/HeaderFields.h"
#include "document/History.h"
#include "document/M32Format.h"
#include "document/TextureDocument.h"
#include "windows/Dialogs.h"
#include "windows/WindowHelpers.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QDropEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <cstring>
#include <stdexcept>

namespace quorvel {

namespace {

constexpr int kClientWidth = 273;
// The three groups end at 425; the preset box lies below them.
constexpr int kPresetTop = 432;
constexpr int kPresetHeight = 49;
constexpr int kClientHeight = kPresetTop + kPresetHeight;
constexpr int kFieldHeight = 21;
constexpr int kLabelHeight = 13;

// A name holds at most 128 characters of its 8-bit code page (Windows-1252): anything else could
// not be stored as typed.
class NameValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        if (input.size() > kM32NameSize) return Invalid;
        for (QChar c : input)
            if (c.unicode() < 0x20) return Invalid;
        return fromWindows1252(toWindows1252(input)) == input ? Acceptable : Invalid;
    }
};

// Where a header field stands: its group (0 the names, 1 the surface, 2 the detail texture) and
// its place there, by its form name.
struct FieldPlace {
    const char* name;
    int group;
    int left, top, width;
    bool labelAbove; // else the label stands to its left, right-aligned
    int labelLeft;   // where a left label starts
};

const FieldPlace kPlaces[] = {
    {"Edit2", 0, 8, 24, 257, true, 0},
    {"Edit3", 0, 8, 64, 257, true, 0},
    {"Edit4", 0, 8, 104, 257, true, 0},
    {"Edit5", 0, 8, 144, 257, true, 0},
    {"Edit6", 1, 56, 16, 73, false, 8},
    {"Edit7", 1, 208, 16, 57, false, 137},
    {"Edit8", 1, 56, 40, 73, false, 8},
    {"Edit11", 1, 208, 40, 57, false, 137},
    {"Edit9", 1, 72, 72, 57, false, 8},
    {"Edit10", 1, 200, 72, 57, false, 137},
    {"Edit12", 2, 8, 24, 257, true, 0},
    {"Edit13", 2, 136, 48, 33, false, 100},
    {"Edit14", 2, 224, 48, 33, false, 177},
    {"Edit15", 2, 56, 72, 33, false, 8},
    {"Edit16", 2, 224, 72, 33, false, 97},
    {"Edit17", 2, 40, 96, 33, false, 6},
    {"Edit18", 2, 112, 96, 33, false, 77},
    {"Edit19", 2, 224, 96, 33, false, 149},
    {"Edit20", 2, 72, 120, 57, false, 8},
    {"Edit21", 2, 200, 120, 57, false, 137},
};

const FieldPlace& placeOf(const HeaderField& field)
{
    for (const FieldPlace& p : kPlaces)
        if (std::strcmp(p.name, field.formName) == 0) return p;
    throw std::logic_error("a header field without a place in the properties window");
}

QLabel* boldLabel(const QString& text, QWidget* parent, const QRect& geometry, Qt::Alignment alignment)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPixelSize(11);
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TForm3::TForm3(TextureDocument& document, QWidget* parent)
    : QWidget(parent),
      document_(document),
      presets_(presetsFilePath()),
      presetBox_(nullptr),
      savePresetButton_(nullptr),
      applyPresetButton_(nullptr)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Properties"));
    setFixedSize(kClientWidth, kClientHeight);

    struct FieldGroup {
        const char* name;
        int top, height;
    };
    const FieldGroup fieldGroups[] = {{"GroupBox1", 0, 169}, {"GroupBox2", 176, 97}, {"GroupBox3", 280, 145}};
    QGroupBox* groups[3];
    for (int g = 0; g < 3; ++g) {
        groups[g] = new QGroupBox(this);
        groups[g]->setObjectName(QString::fromLatin1(fieldGroups[g].name));
        groups[g]->setGeometry(0, fieldGroups[g].top, kClientWidth, fieldGroups[g].height);
    }
    boldLabel(QStringLiteral("Blendmode :"), groups[2], QRect(8, 48 + 4, 88, kLabelHeight), Qt::AlignLeft);

    auto* nameValidator = new NameValidator(this);
    int index = 0;
    for (const HeaderField& field : kHeaderFields) {
        const FieldPlace& place = placeOf(field);
        QWidget* group = groups[place.group];
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QString::fromLatin1(field.formName));
        edit->setGeometry(place.left, place.top, place.width, kFieldHeight);
        if (field.kind == HeaderFieldKind::Name) {
            edit->setMaxLength(kM32NameSize);
            edit->setValidator(nameValidator);
            // The 129th character, or one outside Windows-1252, is refused with the beep.
            connect(edit, &QLineEdit::inputRejected, this, [] { dialogs().beep(); });
        }
        // The scientific form is wider than its field: the whole text is its tooltip.
        if (field.kind == HeaderFieldKind::Decimal && field.shown == DecimalForm::Scientific) connect(edit, &QLineEdit::textChanged, edit, &QWidget::setToolTip);
        const QString label = QString::fromLatin1(field.label);
        if (place.labelAbove)
            boldLabel(label, group, QRect(place.left, place.top - 16, place.width, kLabelHeight), Qt::AlignLeft);
        else
            boldLabel(label, group, QRect(place.labelLeft, place.top + 4, place.left - 4 - place.labelLeft, kLabelHeight),
                      Qt::AlignRight);
        fields_.push_back({edit, field.text});

        // No check while typing: the text goes to the document's working copy as it is, one
        // step of the history named by the field's label while the field keeps the focus.
        const auto text = field.text;
        connect(edit, &QLineEdit::textEdited, this, [this, text, index, label](const QString& typed) {
            HeaderTexts texts = document_.texts();
            texts.*text = typed;
            document_.history().editTexts(texts, index, label);
        });
        edit->installEventFilter(this);
        ++index;
    }
    showTexts();
    connect(&document_, &TextureDocument::textsChanged, this, &TForm3::showTexts);

    auto* presets = new QGroupBox(QStringLiteral("Presets"), this);
    presets->setObjectName(QStringLiteral("PresetBox"));
    presets->setGeometry(0, kPresetTop, kClientWidth, kPresetHeight);
    presetBox_ = new QComboBox(presets);
    presetBox_->setObjectName(QStringLiteral("PresetNames"));
    presetBox_->setGeometry(8, 18, 113, 23);
    applyPresetButton_ = new QPushButton(QStringLiteral("Apply"), presets);
    applyPresetButton_->setObjectName(QStringLiteral("ApplyPreset"));
    applyPresetButton_->setGeometry(126, 17, 50, 25);
    savePresetButton_ = new QPushButton(QStringLiteral("Save preset\u2026"), presets);
    savePresetButton_->setObjectName(QStringLiteral("SavePreset"));
    savePresetButton_->setGeometry(180, 17, 85, 25);
    connect(applyPresetButton_, &QPushButton::clicked, this, [this] { runCommand(this, [this] { applyPreset(); }); });
    connect(savePresetButton_, &QPushButton::clicked, this, [this] { runCommand(this, [this] { savePreset(); }); });
    showPresets(QString());
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) document_.history().endTyping();
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop) {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!droppedTextures(drag->mimeData()).isEmpty()) {
            drag->ignore();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm3::showPresets(const QString& chosen)
{
    presetBox_->clear();
    presetBox_->addItems(presets_.names());
    if (!chosen.isEmpty()) presetBox_->setCurrentText(chosen);
    applyPresetButton_->setEnabled(presetBox_->count() > 0);
}

void TForm3::savePreset()
{
    const std::optional<QString> typed =
        dialogs().text(this, QStringLiteral("Save preset"), QStringLiteral("Preset name:"), presetBox_->currentText());
    if (!typed) return;
    const QString name = typed->trimmed();
    if (name.isEmpty()) {
        dialogs().beep();
        return;
    }
    presets_.save(name, document_.texts());
    showPresets(name);
}

void TForm3::applyPreset()
{
    const std::optional<HeaderTexts> texts = presets_.applied(presetBox_->currentText(), document_.texts());
    if (!texts) {
        dialogs().beep();
        return;
    }
    document_.history().change(QStringLiteral("Apply preset %1").arg(presetBox_->currentText()),
                               [&] { document_.setTexts(*texts); });
}

QLineEdit* TForm3::field(const QString& name) const
{
    for (const Field& f : fields_)
        if (f.edit->objectName() == name) return f.edit;
    return nullptr;
}

void TForm3::showTexts()
{
    const HeaderTexts& texts = document_.texts();
    for (const Field& f : fields_) {
        // Only a text that differs is set, so the field being typed in keeps its cursor. A text
        // too long for its field shows from its start, where a narrow field would otherwise
        // show only its last digits ("0000" of "0.0000").
        if (f.edit->text() != texts.*f.text) {
            f.edit->setText(texts.*f.text);
            if (f.edit->fontMetrics().horizontalAdvance(f.edit->text()) > f.edit->contentsRect().width())
                f.edit->setCursorPosition(0);
        }
    }
}

} // namespace quorvel
