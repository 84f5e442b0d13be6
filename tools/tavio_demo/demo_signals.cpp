// Waveforms of the demonstration recording: thermocouples with a cold-junction
// channel, polynomial and linear sensors, a sine sweep, steps, slow drifts and
// noise with short spikes, so that every zoom level shows detail.
#include "demo_signals.h"

#include <algorithm>
#include <cmath>

#include "tavio.h"

namespace orvela::demo {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTcCountsPerVolt = 1.0e6;  // thermocouple inputs: 1 count per microvolt
constexpr double kRefCountsPerVolt = 1000.0;  // the cold junction reads degrees as volts
constexpr double kCountsPerVolt = 2675.0;
constexpr int kMidScale = 32767;

uint16_t ToCounts(double volts, double counts_per_volt, int offset) {
  const double counts = std::round(volts * counts_per_volt + offset);
  return static_cast<uint16_t>(std::clamp(counts, 0.0, 65535.0));
}

// Degrees of the cold junction: room temperature drifting by half a degree.
double ReferenceDegrees(double t) { return 23.0 + 0.5 * std::sin(2.0 * kPi * t / 1800.0); }

}  // namespace

const std::vector<DemoChannel>& DemoChannels() {
  static const std::vector<DemoChannel> channels = {
      {"ColdJunction", "degC", "TC_Reference", "", kRefCountsPerVolt, 0, {0.0, 1.0}},
      {"OvenZone1", "degC", "type_k", "ColdJunction", kTcCountsPerVolt, kMidScale, {0.0, 1.0}},
      {"OvenZone2", "degC", "type_k", "ColdJunction", kTcCountsPerVolt, kMidScale, {0.0, 1.0}},
      {"Exhaust", "degF", "type_k", "ColdJunction", kTcCountsPerVolt, kMidScale, {0.0, 1.0}},
      {"Coolant", "degC", "type_k", "ColdJunction", kTcCountsPerVolt, kMidScale, {0.0, 1.0}},
      {"Pressure", "bar", "polynomial", "", kCountsPerVolt, kMidScale, {0.5, 12.0, 0.3}},
      {"Flow", "l/min", "polynomial", "", kCountsPerVolt, kMidScale, {0.0, 20.0, -0.4, 0.05}},
      {"Load", "kN", "linear", "", kCountsPerVolt, kMidScale, {-1.0, 5.0}},
      {"Displacement", "mm", "linear", "", kCountsPerVolt, kMidScale, {0.0, 2.5}},
      {"Excitation", "Volts", "volts", "", kCountsPerVolt, kMidScale, {0.0, 1.0}},
      {"Sweep", "Volts", "volts", "", kCountsPerVolt, kMidScale, {0.0, 1.0}},
      {"Vibration", "g", "linear", "", kCountsPerVolt, kMidScale, {0.0, 4.0}},
      {"Valve", "%", "linear", "", kCountsPerVolt, kMidScale, {50.0, 10.0}},
      {"Humidity", "%RH", "linear", "", kCountsPerVolt, kMidScale, {50.0, 8.0}},
      {"Accelerometer", "g", "linear", "", kCountsPerVolt, kMidScale, {0.0, 2.0}},
      {"Speed", "rpm", "polynomial", "", kCountsPerVolt, kMidScale, {3000.0, 300.0}},
  };
  return channels;
}

DemoSignals::DemoSignals(double seconds) : duration_(seconds > 1.0 ? seconds : 1.0) {}

double DemoSignals::Noise() {
  // xorshift64*: fast and the same on every machine.
  random_state_ ^= random_state_ >> 12;
  random_state_ ^= random_state_ << 25;
  random_state_ ^= random_state_ >> 27;
  const uint64_t r = random_state_ * 0x2545F4914F6CDD1DULL;
  return static_cast<double>(r >> 11) / 4503599627370496.0 - 1.0;
}

double DemoSignals::ThermocoupleVolts(double degrees, double reference_degrees) const {
  double hot = 0.0, cold = 0.0;
  TAVIO_CalcMvFromDegC(degrees, 6, &hot);
  TAVIO_CalcMvFromDegC(reference_degrees, 6, &cold);
  return (hot - cold) * 0.001;
}

void DemoSignals::SampleSet(uint64_t k, uint16_t* words) {
  const double t = static_cast<double>(k) / kDemoClockRate;
  const double u = t / duration_;  // 0 .. 1 over the recording
  const double ref = ReferenceDegrees(t);

  // Oven zones heat up towards their set points with a controller ripple.
  const double zone1 = 25.0 + 575.0 * (1.0 - std::exp(-t / 120.0)) + 3.0 * std::sin(2.0 * kPi * t / 40.0);
  const double zone2 = 25.0 + 450.0 * (1.0 - std::exp(-t / 200.0)) + 2.0 * std::sin(2.0 * kPi * t / 55.0 + 1.0);
  const double exhaust = 80.0 + 220.0 * u + 15.0 * std::sin(2.0 * kPi * t / 7.0) + 2.0 * Noise();
  // The coolant steps when the pump switches every five minutes.
  const double coolant = (static_cast<long>(t / 300.0) % 2 == 0 ? 35.0 : 55.0) + 0.3 * Noise();

  // Pressure: pulses at 2 Hz on a slow ramp; flow follows with a lag.
  const double pressure = 0.3 + 0.4 * u + 0.15 * std::sin(2.0 * kPi * 2.0 * t) + 0.005 * Noise();
  const double flow = 2.0 + 1.5 * std::sin(2.0 * kPi * t / 90.0) + 0.02 * Noise();
  // Load: a staircase of one step every 20 seconds, with settling overshoot.
  const double step = std::fmod(t, 20.0);
  const double load = 0.2 * static_cast<double>(static_cast<long>(t / 20.0) % 10) +
                      0.1 * std::exp(-step * 3.0) * std::cos(2.0 * kPi * 4.0 * step) + 0.003 * Noise();
  const double displacement = 1.5 * std::sin(2.0 * kPi * t / 30.0) * std::sin(2.0 * kPi * 0.5 * t);
  const double excitation = 10.0 - 0.002 * t / 60.0 + 0.001 * Noise();

  // A repeating sine sweep from 1 Hz to 200 Hz every 60 seconds.
  const double sweep_t = std::fmod(t, 60.0);
  const double frequency = 1.0 * std::pow(200.0, sweep_t / 60.0);
  chirp_phase_ += 2.0 * kPi * frequency / kDemoClockRate;
  if (chirp_phase_ > 2.0 * kPi) chirp_phase_ -= 2.0 * kPi;
  const double sweep = 5.0 * std::sin(chirp_phase_);

  // Vibration: noise with a short spike now and then.
  if (spike_left_ <= 0.0 && Noise() > 0.9995) {
    spike_left_ = 15.0;
    spike_height_ = 2.0 + 2.0 * std::fabs(Noise());
  }
  double vibration = 0.15 * Noise();
  if (spike_left_ > 0.0) {
    vibration += spike_height_ * (spike_left_ / 15.0) * (Noise() > 0 ? 1.0 : -1.0);
    spike_left_ -= 1.0;
  }
  const double valve = std::fmod(t, 45.0) < 15.0 ? -4.0 : (std::fmod(t, 45.0) < 30.0 ? 0.0 : 4.0);
  const double humidity = 1.0 * std::sin(2.0 * kPi * t / 3600.0) + 0.5 * u + 0.01 * Noise();
  const double accel = (0.5 + 0.5 * std::sin(2.0 * kPi * 0.2 * t)) * std::sin(2.0 * kPi * 25.0 * t);
  const double speed = 2.0 * std::sin(2.0 * kPi * u) + 0.01 * Noise();

  const double values[kDemoChannels] = {
      ref,
      ThermocoupleVolts(zone1, ref),
      ThermocoupleVolts(zone2, ref),
      ThermocoupleVolts(exhaust, ref),
      ThermocoupleVolts(coolant, ref),
      pressure, flow, load, displacement, excitation, sweep, vibration, valve, humidity, accel, speed,
  };
  const auto& channels = DemoChannels();
  for (int c = 0; c < kDemoChannels; ++c)
    words[c] = ToCounts(values[c], channels[static_cast<std::size_t>(c)].counts_per_volt,
                        channels[static_cast<std::size_t>(c)].offset_count);
}

}  // namespace orvela::demo
