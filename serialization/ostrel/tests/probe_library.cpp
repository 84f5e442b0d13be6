// A library LibLoader is asked to load by its bare name.
#define PROBE_EXPORT __attribute__((visibility("default")))

extern "C" PROBE_EXPORT int orvtest_probe_answer() {
  return 42;
}
