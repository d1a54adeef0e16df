// Numbers typed into boxes and the texts the boxes show for numbers. Every box of the program
// reads whole numbers the same way, and the header's reals are shown in two fixed forms.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace quorvel {

// A whole number as the runtime reads it: leading blanks skipped, an optional "+" or "-", then
// decimal digits or "$" and hexadecimal digits; an empty text gives 0. Reading stops at the
// first character that does not belong (or at a digit that would leave the signed 32-bit
// range); when it stops before the end of the text (trailing blanks aside) the digits read so
// far are the value, without their sign.
std::int32_t readWholeNumber(const QString& text);
// The value when the whole text (blanks around it aside) is one whole number with at least one
// digit, read as readWholeNumber reads it; nothing when the reader would stop early or find no
// digit. Boxes whose values are checked use this to refuse what readWholeNumber would take in part.
std::optional<std::int32_t> wholeNumberOf(const QString& text);

// A real number: leading and trailing blanks skipped, an optional sign, digits with an optional
// point and fraction, an optional exponent ("E" or "e", optional sign, digits); the point is
// the decimal separator whatever the locale. "NAN", "INF" and "-INF" stand for themselves. An
// empty or malformed text gives 0. The value is rounded to single precision.
float readReal(const QString& text);

// Whether a text is wholly a number of these forms, as Save requires of the number boxes (the
// readers above take what they can of any text). Blanks around the number are allowed and an
// empty or blank text stands for 0. A whole number must fit the signed 32-bit range (a "$"
// number its 32 bits, as readWholeNumber reads it).
bool isWholeNumberText(const QString& text);
bool isRealText(const QString& text);

// Fixed point with two decimals and no blanks ("1.00", "-2.50"); halves round away from zero.
QString realTwoDecimals(float value);
// The 23-character scientific form: a blank or "-", one digit, a point, fourteen digits, "E",
// the exponent's sign and four digits (" 5.00000000000000E-0001").
QString realScientific(float value);

} // namespace quorvel
