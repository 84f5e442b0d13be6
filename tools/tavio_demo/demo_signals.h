// The channels of the demonstration recording: their configuration and the
// count each one reads at a given sample set.
#ifndef TAVIO_DEMO_SIGNALS_H
#define TAVIO_DEMO_SIGNALS_H

#include <cstdint>
#include <vector>

namespace orvela::demo {

inline constexpr int kDemoChannels = 16;
inline constexpr unsigned kDemoClockRate = 1000;  // Hz
inline constexpr int kDemoScanSamples = 1000;     // one second per scan

// How one channel is described to the library.
struct DemoChannel {
  const char* name;
  const char* units;
  const char* conversion;
  const char* reference;  // thermocouple reference channel name, or ""
  double counts_per_volt;
  int offset_count;
  std::vector<double> coefficients;  // polynomial or linear, lowest power first
};

// The 16 channels, in channel order.
const std::vector<DemoChannel>& DemoChannels();

// Produces the recording sample set by sample set, deterministically (the
// same length gives the same file, apart from the time stamp).
class DemoSignals {
 public:
  explicit DemoSignals(double seconds);

  // Fills `words` with kDemoChannels unsigned counts of sample set `k`
  // (0-based); sets must be asked for in order.
  void SampleSet(uint64_t k, uint16_t* words);

 private:
  double Noise();  // uniform in [-1, 1)
  double ThermocoupleVolts(double degrees, double reference_degrees) const;

  double duration_;
  uint64_t random_state_ = 0x2545F4914F6CDD1DULL;
  double chirp_phase_ = 0.0;
  double spike_left_ = 0.0;
  double spike_height_ = 0.0;
};

}  // namespace orvela::demo

#endif
