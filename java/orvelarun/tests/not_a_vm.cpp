// A loadable library without the VM entry points, for the launcher tests.
extern "C" __attribute__((visibility("default"))) int orvtest_not_a_vm(void) { return 0; }
