#include "rules/Stroke.h"

#include <algorithm>
#include <cstdlib>

namespace {

int Sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

void Stroke::Begin(int a, int b) {
    mStart = {a, b};
    mCurrent = mStart;
}

bool Stroke::Hover(int a, int b) {
    const CellPos before = mCurrent;
    Begin(a, b);
    return !(before == mCurrent);
}

bool Stroke::DragTo(int a, int b, int n) {
    const CellPos before = mCurrent;
    a = std::clamp(a, 0, std::max(0, n - 1));
    b = std::clamp(b, 0, std::max(0, n - 1));
    if (std::abs(a - mStart.a) <= std::abs(b - mStart.b)) {
        mCurrent = {mStart.a, b};
    } else {
        mCurrent = {a, mStart.b};
    }
    return !(before == mCurrent);
}

CellPos Stroke::Step() const {
    if (mCurrent.a != mStart.a) {
        return {Sign(mCurrent.a - mStart.a), 0};
    }
    return {0, Sign(mCurrent.b - mStart.b)};
}

std::vector<CellPos> Stroke::Cells() const {
    std::vector<CellPos> cells;
    const CellPos step = Step();
    CellPos cell = mStart;
    cells.push_back(cell);
    while (!(cell == mCurrent) && (step.a != 0 || step.b != 0)) {
        cell.a += step.a;
        cell.b += step.b;
        cells.push_back(cell);
    }
    return cells;
}
