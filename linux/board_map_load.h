// The board map of this process: read on first need from QZHAL_BOARD_MAP
// (default /etc/qzhal/board.conf), its devices looked at, and each mistake
// reported once, on standard error and in the trace.
#ifndef LINUX_BOARD_MAP_LOAD_H
#define LINUX_BOARD_MAP_LOAD_H

#include "board_map.h"

const BoardMap &TheBoardMap();

// The map at `path`, read and its devices looked at, without reporting its
// mistakes (TheBoardMap does, once).
BoardMap LoadBoardMap(const std::string &path);

#endif
