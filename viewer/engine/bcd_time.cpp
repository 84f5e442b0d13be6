// cBcdTime: BCD time stamps and time texts.
#include "bcd_time.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "text.h"

namespace trendel {

cBcdTime bcdtime;

namespace {

unsigned Bcd(unsigned v) { return (v & 0x0F) + 10 * (v >> 4); }

// Truncates toward zero, saturating instead of overflowing on values that do
// not fit (a corrupt stamp or a time text far outside any file).
long long Truncate(double v) {
  if (!(v == v)) return 0;
  if (v >= 9.0e15) return 9000000000000000LL;
  if (v <= -9.0e15) return -9000000000000000LL;
  return static_cast<long long>(v);
}

}  // namespace

/*
 * cBcdTime::setTimeOffset --
 *   Decodes a stamp into days, hours, minutes and seconds.
 * Results:
 *   The day number (after the offset).
 * Side effects:
 *   Sets every field, totalseconds included.
 */
int cBcdTime::setTimeOffset(const uint8_t* s, int day_offset) {
  std::memcpy(stamp, s, sizeof stamp);
  uint32_t word0 = 0;
  std::memcpy(&word0, s, 4);
  // Word 0 holds the hundreds of the day; the sum is kept in 16 bits.
  days = static_cast<uint16_t>(Bcd(s[5]) + 100u * Bcd(word0));
  days = static_cast<uint16_t>(days - day_offset);
  hours = static_cast<uint8_t>(Bcd(s[4]));
  minutes = static_cast<uint8_t>(Bcd(s[9]));
  seconds = Bcd(s[8]) + (100.0 * Bcd(s[13]) + Bcd(s[12])) * 0.0001;
  Normalise();
  totalseconds = 60.0 * (minutes + 60.0 * (hours + 24.0 * days)) + seconds;
  return days;
}

int cBcdTime::setTime(const uint8_t* s) { return setTimeOffset(s, 0); }

void cBcdTime::Normalise() {
  while (seconds >= 59.99999999) {
    seconds -= 60.0;
    if (seconds < 0.0) seconds = 0.0;
    minutes = static_cast<uint8_t>(minutes + 1);
    if (minutes >= 60) {
      minutes = static_cast<uint8_t>(minutes - 60);
      hours = static_cast<uint8_t>(hours + 1);
      if (hours >= 24) {
        hours = static_cast<uint8_t>(hours - 24);
        days = static_cast<uint16_t>(days + 1);
      }
    }
  }
}

/*
 * cBcdTime::convertSecondsToTime --
 *   Splits a number of seconds into days, hours, minutes and seconds.
 * Results:
 *   None.
 * Side effects:
 *   Sets totalseconds and the fields.
 */
void cBcdTime::convertSecondsToTime(double t) {
  totalseconds = t;
  const long long d = Truncate(t * 1.1574074074074073e-05);
  days = static_cast<uint16_t>(d);
  t -= static_cast<double>(d) * 86400.0;
  const long long h = Truncate(t * 0.0002777777777777778);
  hours = static_cast<uint8_t>(h);
  t -= static_cast<double>(h) * 3600.0;
  const long long m = Truncate(t * 0.016666666666666666);
  minutes = static_cast<uint8_t>(m);
  seconds = t - static_cast<double>(m) * 60.0;
}

void cBcdTime::formatTimeStamp(char* out, size_t out_size) const {
  char hh[8];
  char mm[8];
  std::snprintf(hh, sizeof hh, "%02d", hours);
  std::snprintf(mm, sizeof mm, "%02d", minutes);
  std::snprintf(out, out_size, "%d:%s:%s:%f", days, hh, mm, seconds);
}

/*
 * cBcdTime::parseTimeStamp --
 *   Reads a time text days:hh:mm:seconds.
 * Results:
 *   Its value in seconds, 0.0 for a malformed text.
 * Side effects:
 *   Sets the fields and totalseconds on success.
 */
double cBcdTime::parseTimeStamp(const char* text) {
  STR words[4];
  if (dword(text, ":", words, 3) != 4) return 0.0;
  const long d = std::strtol(words[0], nullptr, 10);
  const long h = std::strtol(words[1], nullptr, 10);
  const long m = std::strtol(words[2], nullptr, 10);
  const double s = fval(words[3]);
  days = static_cast<uint16_t>(d);
  hours = static_cast<uint8_t>(h);
  minutes = static_cast<uint8_t>(m);
  seconds = s;
  totalseconds = static_cast<double>(d) * 86400.0 + static_cast<double>(h) * 3600.0 + static_cast<double>(m) * 60.0 + s;
  return totalseconds;
}

void FormatSeconds(double seconds, char* out, size_t out_size) {
  cBcdTime t;
  t.convertSecondsToTime(seconds);
  t.formatTimeStamp(out, out_size);
}

}  // namespace trendel
