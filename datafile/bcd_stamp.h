// BCD time stamps of recorded data files: six little-endian u32 words holding
// the day of the year, hour, minute, second and ten-thousandths as decimal
// digits in nibbles, then two zero words.
#ifndef TAVIO_BCD_STAMP_H
#define TAVIO_BCD_STAMP_H

#include <array>
#include <cstdint>
#include <ctime>

namespace orvela::tavio {

using BcdStamp = std::array<uint8_t, 24>;

// The stamp of a wall-clock time: day of the year (0 = 1 January), hour,
// minute, second and fraction in ten-thousandths (0 to 9999).  Day numbers of
// 100 and more put their hundreds (and higher digits) into word 0.
BcdStamp StampFromFields(long day, int hour, int minute, int second, int ten_thousandths);

// The stamp of a broken-down local time (tm_yday, tm_hour, tm_min, tm_sec);
// the fraction is 0.
BcdStamp StampFromLocalTime(const std::tm& local);

// The stamp of the current local time (time and localtime).
BcdStamp StampFromClock();

// The stamp of a time given in seconds (days x 86400 + hours x 3600 + ...),
// the fraction rounded to ten-thousandths; negative times give day 0, 0:00:00.
BcdStamp StampFromSeconds(double seconds);

// The time in seconds of the stamp whose first 20 bytes are at `bytes`.
double StampSeconds(const uint8_t* bytes);

// True when word 1 (day units and hour) is non-zero: a scan stamp that is set.
bool StampIsSet(const uint8_t* bytes);

}  // namespace orvela::tavio

#endif
