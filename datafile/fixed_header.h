// Assembly of the fixed header of a recorded data file.
#ifndef TAVIO_FIXED_HEADER_H
#define TAVIO_FIXED_HEADER_H

#include <cstddef>
#include <cstdint>

#include "tavio_state.h"

namespace orvela::tavio {

struct FixedHeaderLayout {
  std::size_t length = 0;            // bytes of the whole header
  std::size_t sub_count_offset = 0;  // file offset of lastScanSubCount
};

// The clock rate as the header records it: rounded up to a whole number,
// kept within 0 .. 4294967295.
uint32_t RecordedClockRate(double hz);

// Resolves the thermocouple references of the write context and assembles its
// fixed header ("VelmontEnhanced" with the segment table when `enhanced`) at
// the start of the context's work buffer.  Returns false when the header does
// not fit into the buffer (it always fits for 128 channels of 255-character
// texts).
bool AssembleFixedHeader(DataFileContext& ctx, bool enhanced, FixedHeaderLayout* layout);

}  // namespace orvela::tavio

#endif
