#include "base/grid_shape.h"

namespace vexa {

bool isUsableGridShape(int columns, int rows) {
    // Compared in 64 bits: two large stored values must not overflow into 256.
    return columns > 0 && rows > 0 && static_cast<long long>(columns) * rows == 256;
}

GridShape usableGridShape(int columns, int rows) {
    return isUsableGridShape(columns, rows) ? GridShape{columns, rows} : GridShape{256, 1};
}

}  // namespace vexa
