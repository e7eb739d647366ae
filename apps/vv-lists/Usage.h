#pragma once

#include <QString>

namespace viVavazuruv::lists {

// What vv-lists --help prints: every command, its options and the exit statuses.
QString usage();

} // namespace viVavazuruv::lists
