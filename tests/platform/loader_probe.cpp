// A tiny shared object for the loader tests: one export with a known result.
extern "C" __attribute__((visibility("default"))) int VarekoLoaderProbe() { return 42; }
