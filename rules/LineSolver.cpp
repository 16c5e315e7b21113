#include "rules/LineSolver.h"

#include <cstddef>
#include <numeric>

namespace p7tools {

bool LineSolver::ApplyOverlap(const std::vector<int>& clues, std::vector<Cell>& cells) {
    const int n = static_cast<int>(cells.size());
    const int k = static_cast<int>(clues.size());
    const int needed = std::accumulate(clues.begin(), clues.end(), 0) + (k > 0 ? k - 1 : 0);
    if (needed > n) {
        return false;
    }
    if (k == 0) {
        for (Cell& cell : cells) {
            cell = Cell::Empty;
        }
        return true;
    }
    const int slack = n - needed;
    int leftStart = 0;
    for (int j = 0; j < k; ++j) {
        // Pushed right, run j starts `slack` cells later than pushed left.
        for (int c = leftStart + slack; c < leftStart + clues[j]; ++c) {
            cells[c] = Cell::Filled;
        }
        leftStart += clues[j] + 1;
    }
    if (slack == 0) {
        for (Cell& cell : cells) {
            if (cell == Cell::Unknown) {
                cell = Cell::Empty;
            }
        }
    }
    return true;
}

bool LineSolver::Solve(const std::vector<int>& clues, std::vector<Cell>& cells) {
    const int n = static_cast<int>(cells.size());
    const int k = static_cast<int>(clues.size());
    const int fw = n + 1;
    const int bw = n + 2;

    emptyPrefix_.assign(n + 1, 0);
    for (int i = 0; i < n; ++i) {
        emptyPrefix_[i + 1] = emptyPrefix_[i] + (cells[i] == Cell::Empty ? 1 : 0);
    }
    auto noEmpty = [&](int from, int to) { return emptyPrefix_[to] == emptyPrefix_[from]; };
    auto notFilled = [&](int i) { return cells[i] != Cell::Filled; };

    fwd_.assign(static_cast<size_t>(k + 1) * fw, 0);
    bwd_.assign(static_cast<size_t>(k + 2) * bw, 0);
    auto fwd = [&](int j, int i) -> uint8_t& { return fwd_[static_cast<size_t>(j) * fw + i]; };
    auto bwd = [&](int j, int i) -> uint8_t& { return bwd_[static_cast<size_t>(j) * bw + i]; };

    // Run j may start at s when runs 0..j-1 fit before it with a hole between.
    auto before = [&](int j, int s) -> bool {
        if (s == 0) {
            return j == 0;
        }
        return notFilled(s - 1) && fwd(j, s - 1);
    };
    // Run j may end just before e when runs j+1..k-1 fit after it with a hole between.
    auto after = [&](int j, int e) -> bool {
        if (e == n) {
            return j == k - 1;
        }
        return notFilled(e) && bwd(j + 1, e + 1);
    };

    fwd(0, 0) = 1;
    for (int i = 1; i <= n; ++i) {
        fwd(0, i) = fwd(0, i - 1) && notFilled(i - 1);
    }
    for (int j = 1; j <= k; ++j) {
        const int len = clues[j - 1];
        for (int i = 1; i <= n; ++i) {
            bool ok = notFilled(i - 1) && fwd(j, i - 1);
            const int s = i - len;
            if (!ok && s >= 0 && noEmpty(s, i) && before(j - 1, s)) {
                ok = true;
            }
            fwd(j, i) = ok ? 1 : 0;
        }
    }
    if (!fwd(k, n)) {
        return false;
    }

    bwd(k, n) = 1;
    for (int i = n - 1; i >= 0; --i) {
        bwd(k, i) = bwd(k, i + 1) && notFilled(i);
    }
    for (int j = k - 1; j >= 0; --j) {
        const int len = clues[j];
        for (int i = n - 1; i >= 0; --i) {
            bool ok = notFilled(i) && bwd(j, i + 1);
            const int e = i + len;
            if (!ok && e <= n && noEmpty(i, e) && after(j, e)) {
                ok = true;
            }
            bwd(j, i) = ok ? 1 : 0;
        }
    }

    // Mark every cell some placement of a run covers (difference array), and every cell that
    // can be a hole between runs j-1 and j.
    fillCover_.assign(n + 1, 0);
    for (int j = 0; j < k; ++j) {
        const int len = clues[j];
        for (int s = 0; s + len <= n; ++s) {
            if (noEmpty(s, s + len) && before(j, s) && after(j, s + len)) {
                fillCover_[s] += 1;
                fillCover_[s + len] -= 1;
            }
        }
    }
    canEmpty_.assign(n, 0);
    for (int p = 0; p < n; ++p) {
        if (!notFilled(p)) {
            continue;
        }
        for (int j = 0; j <= k; ++j) {
            if (fwd(j, p) && bwd(j, p + 1)) {
                canEmpty_[p] = 1;
                break;
            }
        }
    }

    int cover = 0;
    for (int p = 0; p < n; ++p) {
        cover += fillCover_[p];
        const bool canFill = cover > 0;
        if (canFill && !canEmpty_[p]) {
            cells[p] = Cell::Filled;
        } else if (!canFill && canEmpty_[p]) {
            cells[p] = Cell::Empty;
        }
    }
    return true;
}

}  // namespace p7tools
