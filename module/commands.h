// Rows of the host's detected-access-point list, shared with the tests.
#pragma once

#include <string>

#include "KAV7420AP.h"
#include "KAV7420apHelp.h"

namespace kav::module {

// A row of seven fresh texts made from a library record; freeNeighbourRow
// frees them with the row.
NeighbourRow* makeNeighbourRow(const AP_NEIGHBOUR_AP& record);
void freeNeighbourRow(NeighbourRow* row);

// What a device is told for commands 3 and 6: the server, the account and
// the file name, worked out from the argument "mask|path" (path ending in
// "/" for command 3).  All empty when a remote FTP server is set up.
struct FtpTarget {
  std::string server, user, password, fileName;
};
FtpTarget prepareFtpTarget(int command, const std::string& device, const std::string& argument);

}  // namespace kav::module
