#include "signin/progress_bar.h"

namespace tieba {

ProgressBarDrawing drawProgressBar(int done, int total)
{
    ProgressBarDrawing drawing;
    const int inner = kProgressBarWidth - 1; // 158
    if (total != 0) {
        const double exact = static_cast<double>(done) / total * inner;
        drawing.fill = exact <= 0 ? 0 : exact >= inner ? inner : static_cast<int>(exact);
    }
    // Painted in this order: edge at 0, blue from 1 for fill columns, white from fill + 1 to 157,
    // edge at 158 on top of whatever lies there.
    drawing.columns.assign(kProgressBarWidth, ProgressColumn::Empty);
    drawing.columns[0] = ProgressColumn::Edge;
    for (int x = 1; x <= drawing.fill && x < kProgressBarWidth; ++x)
        drawing.columns[x] = ProgressColumn::Filled;
    drawing.columns[inner] = ProgressColumn::Edge;
    return drawing;
}

} // namespace tieba
