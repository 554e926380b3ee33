#pragma once
// Where the control's loader puts an axis's coefficient table: 56 values
// in two ranges of 28 cells. Provisioning needs it to know which cells a
// load must leave as what.
#include "CellMap.h"

namespace CoefficientCells {

// The cell of the index-th coefficient (from 0) of axis "x" or "y".
constexpr int cell(bool axisX, int index)
{
    const bool firstRange = index < CellMap::kCoefRange;
    const int start = axisX ? (firstRange ? CellMap::kCoefFirstX : CellMap::kCoefSecondX)
                            : (firstRange ? CellMap::kCoefFirstY : CellMap::kCoefSecondY);
    return start + index % CellMap::kCoefRange;
}

} // namespace CoefficientCells
