// Encoding and decoding of the BCD time stamps.
#include "bcd_stamp.h"

#include <cmath>

namespace orvela::tavio {

namespace {

void StoreWord(BcdStamp& stamp, int word, uint32_t value) {
  for (int i = 0; i < 4; ++i) stamp[static_cast<std::size_t>(word * 4 + i)] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t LoadWord(const uint8_t* bytes, int word) {
  const uint8_t* p = bytes + word * 4;
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Decimal digits of value as nibbles, units in bits 3-0 (at most 8 digits).
uint32_t ToBcd(unsigned long value) {
  uint32_t bcd = 0;
  for (int shift = 0; shift < 32 && value != 0; shift += 4) {
    bcd |= static_cast<uint32_t>(value % 10) << shift;
    value /= 10;
  }
  return bcd;
}

// The number whose decimal digits are the nibbles of bcd.
double FromBcd(uint32_t bcd) {
  double value = 0.0;
  for (int shift = 28; shift >= 0; shift -= 4) value = value * 10.0 + ((bcd >> shift) & 0xFu);
  return value;
}

uint32_t TwoDigits(int value) { return ToBcd(static_cast<unsigned long>(value < 0 ? 0 : value % 100)); }

}  // namespace

BcdStamp StampFromFields(long day, int hour, int minute, int second, int ten_thousandths) {
  BcdStamp stamp{};
  if (day < 0) day = 0;
  StoreWord(stamp, 0, ToBcd(static_cast<unsigned long>(day / 100)));
  StoreWord(stamp, 1, TwoDigits(static_cast<int>(day % 100)) << 8 | TwoDigits(hour));
  StoreWord(stamp, 2, TwoDigits(minute) << 8 | TwoDigits(second));
  const int fraction = ten_thousandths < 0 ? 0 : ten_thousandths % 10000;
  StoreWord(stamp, 3, ToBcd(static_cast<unsigned long>(fraction)));
  return stamp;
}

BcdStamp StampFromLocalTime(const std::tm& local) {
  return StampFromFields(local.tm_yday, local.tm_hour, local.tm_min, local.tm_sec, 0);
}

BcdStamp StampFromClock() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return BcdStamp{};
  return StampFromLocalTime(local);
}

BcdStamp StampFromSeconds(double seconds) {
  if (!(seconds > 0.0)) return StampFromFields(0, 0, 0, 0, 0);
  // Round to ten-thousandths first so that a carry reaches the seconds.
  double units = std::round(seconds * 10000.0);
  if (units > 9.0e17) units = 9.0e17;  // beyond eight day digits; keeps the casts defined
  const long long total = static_cast<long long>(units);
  const int fraction = static_cast<int>(total % 10000);
  long long whole = total / 10000;
  const long day = static_cast<long>(whole / 86400);
  whole %= 86400;
  return StampFromFields(day, static_cast<int>(whole / 3600), static_cast<int>(whole % 3600 / 60),
                         static_cast<int>(whole % 60), fraction);
}

double StampSeconds(const uint8_t* bytes) {
  const uint32_t w0 = LoadWord(bytes, 0);
  const uint32_t w1 = LoadWord(bytes, 1);
  const uint32_t w2 = LoadWord(bytes, 2);
  const uint32_t w3 = LoadWord(bytes, 3);
  const double days = FromBcd(w0) * 100.0 + FromBcd(w1 >> 8 & 0xFFu);
  const double hours = FromBcd(w1 & 0xFFu);
  const double minutes = FromBcd(w2 >> 8 & 0xFFu);
  const double secs = FromBcd(w2 & 0xFFu);
  const double fraction = FromBcd(w3 & 0xFFFFu);
  return days * 86400.0 + hours * 3600.0 + minutes * 60.0 + secs + fraction * 0.0001;
}

bool StampIsSet(const uint8_t* bytes) { return LoadWord(bytes, 1) != 0; }

}  // namespace orvela::tavio
