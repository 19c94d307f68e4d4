// Rows of the host's detected-access-point list, shared with the tests.
#pragma once

#include "KAV7420AP.h"
#include "KAV7420apHelp.h"

namespace kav::module {

// A row of seven fresh texts made from a library record; freeNeighbourRow
// frees them with the row.
NeighbourRow* makeNeighbourRow(const AP_NEIGHBOUR_AP& record);
void freeNeighbourRow(NeighbourRow* row);

}  // namespace kav::module
