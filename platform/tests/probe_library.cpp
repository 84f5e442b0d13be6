// A library the loader tests open by bare name and by path.
#define PROBE_EXPORT __attribute__((visibility("default")))

extern "C" PROBE_EXPORT int orvtest_probe_answer() { return 42; }
