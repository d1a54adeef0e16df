#include "document/HeaderTexts.h"

#include "base/Error.h"
#include "document/HeaderFields.h"
#include "document/NumberText.h"

namespace quorvel {

HeaderTexts HeaderTexts::fromHeader(const M32Header& h)
{
    HeaderTexts t;
    for (const HeaderField& f : kHeaderFields) t.*f.text = headerFieldText(h, f);
    return t;
}

void HeaderTexts::applyTo(M32Header& h) const
{
    for (const HeaderField& f : kHeaderFields) setHeaderField(h, f, this->*f.text);
}

void checkHeaderNumbers(const HeaderTexts& t)
{
    // In the order of the properties window.
    for (const HeaderField& f : kHeaderFields) {
        if (f.kind == HeaderFieldKind::Name) continue;
        const bool whole = f.kind == HeaderFieldKind::Whole;
        const QString& text = t.*f.text;
        if (whole ? isWholeNumberText(text) : isRealText(text)) continue;
        throw Error(QStringLiteral("%1: \"%2\" is not %3. Nothing was saved.")
                        .arg(headerFieldMessageLabel(f), text,
                             whole ? QStringLiteral("a whole number from -2147483648 to 2147483647")
                                   : QStringLiteral("a number")));
    }
}

} // namespace quorvel
