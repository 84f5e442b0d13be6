// cBcdTime: decoding of the 24-byte BCD time stamps and the viewer's time
// text "%d:%s:%s:%f" (days, two-digit hours, two-digit minutes, seconds).
#ifndef TRENDEL_ENGINE_BCD_TIME_H
#define TRENDEL_ENGINE_BCD_TIME_H

#include <cstdint>
#include <cstddef>

namespace trendel {

class cBcdTime {
 public:
  // Decodes the first 20 bytes of a stamp.  Returns `days`.
  int setTime(const uint8_t* stamp);
  // As setTime, with `days` reduced by `day_offset` before the normalisation.
  int setTimeOffset(const uint8_t* stamp, int day_offset);
  // Sets totalseconds and splits it into the fields.
  void convertSecondsToTime(double seconds);
  // Writes the time text of the fields into out (at least 64 bytes).
  void formatTimeStamp(char* out, size_t out_size) const;
  // Parses a time text; returns its seconds, or 0.0 (fields unchanged) for
  // a text that does not have exactly four ":"-separated fields.
  double parseTimeStamp(const char* text);

  uint8_t stamp[20] = {};
  uint16_t days = 0;
  uint8_t hours = 0;
  uint8_t minutes = 0;
  double seconds = 0.0;
  double totalseconds = 0.0;

 private:
  void Normalise();
};

// The engine's one stamp decoder.
extern cBcdTime bcdtime;

// Formats seconds as a time text through a scratch decoder.
void FormatSeconds(double seconds, char* out, size_t out_size);

}  // namespace trendel

#endif
