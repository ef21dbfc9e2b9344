#include "base/grid_shape.h"

namespace vexa {

GridShape usableGridShape(int columns, int rows) {
    // Compared in 64 bits: two large stored values must not overflow into 256.
    if (columns <= 0 || rows <= 0 || static_cast<long long>(columns) * rows != 256)
        return GridShape{256, 1};
    return GridShape{columns, rows};
}

}  // namespace vexa
