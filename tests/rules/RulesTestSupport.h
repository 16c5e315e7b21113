#pragma once
// Shared by the rules tests: grids written as rows of text.

#include <string>
#include <vector>

#include "rules/ClueRuns.h"

// Rows as text ("#" solid), turned into [a][b].
inline CellGrid FromRows(const std::vector<std::string>& rows) {
    const size_t n = rows.size();
    CellGrid grid(n, std::vector<int>(n, 0));
    for (size_t b = 0; b < n; ++b) {
        for (size_t a = 0; a < n; ++a) {
            grid[a][b] = rows[b][a] == '#' ? 1 : 0;
        }
    }
    return grid;
}
