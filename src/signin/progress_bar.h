#pragma once
#include <vector>

namespace tieba {

// The progress bar "进度条" is 159 x 11 and drawn from three 1 x 10 column pictures.
inline constexpr int kProgressBarWidth = 159;
inline constexpr int kProgressBarHeight = 10;

enum class ProgressColumn {
    Filled, // grey top and bottom rows, blue #14C1F3 between
    Edge,   // grey #C9C9C9 all the way down
    Empty,  // grey top and bottom rows, white between
};

struct ProgressBarDrawing {
    int fill = 0;                        // columns of blue, from x = 1
    std::vector<ProgressColumn> columns; // one per x, 0..158
};

// The bar for `done` out of `total`: fill = done / total * 158 truncated (0 for total 0), edge
// columns at x 0 and 158 (the right edge covers the last blue column at fill 158).
ProgressBarDrawing drawProgressBar(int done, int total);

} // namespace tieba
