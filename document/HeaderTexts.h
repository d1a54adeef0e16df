// The working copy of the header's names and numbers: the twenty texts the properties window
// edits. An open fills them from the header, New sets their defaults, and every write reads
// them back into the header just before it is written; nothing is checked while they change.
#pragma once

#include "document/M32Format.h"

#include <QString>

namespace quorvel {

struct HeaderTexts {
    // The names (Edit2..Edit5, Edit12).
    QString name, substitution_name, next_frame_name, damaged_name, detail_name;
    // Whole numbers (Edit6, Edit7, Edit8, Edit11, Edit13, Edit14, Edit15).
    QString flags = QStringLiteral("2048"), contents = QStringLiteral("0"), value = QStringLiteral("0"),
            mip_scale = QStringLiteral("1"), detail_src = QStringLiteral("0"), detail_dst = QStringLiteral("0"),
            detail_flags = QStringLiteral("0");
    // Reals shown with two decimals (Edit9, Edit10, Edit16, Edit20, Edit21).
    QString scale_x = QStringLiteral("1.00"), scale_y = QStringLiteral("1.00"),
            damage_health = QStringLiteral("0.00"), detail_scale_x = QStringLiteral("0.00"),
            detail_scale_y = QStringLiteral("0.00");
    // Reals shown in scientific form once a file is opened (Edit17, Edit18, Edit19).
    QString dt_u = QStringLiteral("0.00"), dt_v = QStringLiteral("0.00"), dt_alpha = QStringLiteral("0.00");

    // The texts an open shows for a header.
    static HeaderTexts fromHeader(const M32Header& header);
    // Copies the texts' values into the header's names and numbers; the level table, version and
    // reserved bytes are left alone.
    void applyTo(M32Header& header) const;

    bool operator==(const HeaderTexts&) const = default;
};

// The check a save makes before anything is written: every integer text a whole number that fits
// a signed 32-bit integer, every real text a number (empty texts are 0). Raises Error naming the
// first field that is not, by its label and its text.
void checkHeaderNumbers(const HeaderTexts& texts);

} // namespace quorvel
