// The header fields `quorvel-cli info` shows, in the order of the file, each under the key it has
// in the text and the JSON form: the version, then the header fields of the document's table.
// The command and its tests both go by this list.
#pragma once

#include "document/HeaderFields.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace quorvel::cli {

struct InfoField {
    const char* key;
    HeaderFieldKind kind;
    std::size_t offset;
};

inline const std::vector<InfoField>& infoFields()
{
    static const std::vector<InfoField> fields = [] {
        std::vector<InfoField> list{{"version", HeaderFieldKind::Whole, offsetof(M32Header, version)}};
        for (const HeaderField& f : kHeaderFields) list.push_back({f.key, f.kind, f.offset});
        std::stable_sort(list.begin(), list.end(),
                         [](const InfoField& a, const InfoField& b) { return a.offset < b.offset; });
        return list;
    }();
    return fields;
}

} // namespace quorvel::cli
