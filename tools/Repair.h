#pragma once

#include <string>
#include <vector>

namespace p7tools {

struct CellFlip {
    int a = 0;  // column
    int b = 0;  // row
    bool nowSolid = false;
};

// Changes as few cells of a picture as a greedy search finds necessary until line logic alone
// solves it. `rows` are source picture rows (see ArtCodes.h) and are edited in place: a cell
// that becomes a hole turns into the hole character, one that becomes solid takes the most
// common full-square character around it. Prefers cells on an outline, where a change shows
// least. Returns the flips made; stops after `maxFlips` (the rows are then still unsolved).
std::vector<CellFlip> RepairPicture(std::vector<std::string>& rows, int maxFlips = 12);

}  // namespace p7tools
