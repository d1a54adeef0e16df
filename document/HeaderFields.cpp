#include "document/HeaderFields.h"

#include "document/NumberText.h"

#include <cstring>

namespace quorvel {

namespace {

const char* bytesOf(const M32Header& header) { return reinterpret_cast<const char*>(&header); }
char* bytesOf(M32Header& header) { return reinterpret_cast<char*>(&header); }

template <typename T>
void storeAt(M32Header& header, std::size_t offset, T value)
{
    std::memcpy(bytesOf(header) + offset, &value, sizeof value);
}

} // namespace

QString headerFieldMessageLabel(const HeaderField& field)
{
    const QString label = QString::fromLatin1(field.label);
    return field.labelNamesGroup ? label + QStringLiteral(" (detail texture)") : label;
}

QString nameAt(const M32Header& header, std::size_t offset)
{
    char field[kM32NameSize];
    std::memcpy(field, bytesOf(header) + offset, sizeof field);
    return nameText(field);
}

QString headerFieldText(const M32Header& header, const HeaderField& field)
{
    switch (field.kind) {
    case HeaderFieldKind::Name:
        return nameAt(header, field.offset);
    case HeaderFieldKind::Whole:
        return QString::number(wholeAt(header, field.offset));
    case HeaderFieldKind::Decimal: {
        const float value = decimalAt(header, field.offset);
        return field.shown == DecimalForm::Scientific ? realScientific(value) : realTwoDecimals(value);
    }
    }
    return {};
}

void setHeaderField(M32Header& header, const HeaderField& field, const QString& text)
{
    switch (field.kind) {
    case HeaderFieldKind::Name: {
        char name[kM32NameSize];
        setNameText(name, text);
        std::memcpy(bytesOf(header) + field.offset, name, sizeof name);
        return;
    }
    case HeaderFieldKind::Whole:
        storeAt(header, field.offset, readWholeNumber(text));
        return;
    case HeaderFieldKind::Decimal:
        storeAt(header, field.offset, readReal(text));
        return;
    }
}

} // namespace quorvel
