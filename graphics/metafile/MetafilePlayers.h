// The record players of the two metafile forms. Both walk the records with their sizes checked
// against the file and hand each record's meaning to the surface; a record too short for its kind
// is skipped, one that does not fit the file makes the metafile not valid.
#pragma once

#include "graphics/metafile/MetafileSurface.h"

#include <QByteArray>

namespace quorvel::metafile {

// Plays WMF records starting at `at`, the first record after the header.
void playWmf(const QByteArray& bytes, qsizetype at, MetafileSurface& surface);
// Plays EMF records, the header record first.
void playEmf(const QByteArray& bytes, MetafileSurface& surface);

} // namespace quorvel::metafile
