#pragma once
// A cell of a square grid: a the column, b the row.

struct CellPos {
    int a = 0;
    int b = 0;

    bool operator==(const CellPos&) const = default;
};
