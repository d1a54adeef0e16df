// The program's icon: a texture and its smaller mip levels, drawn at the sizes window systems use.
#pragma once

#include <QIcon>

namespace quorvel {

QIcon programIcon();

} // namespace quorvel
