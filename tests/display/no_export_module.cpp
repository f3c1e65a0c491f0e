// A shared object that loads but lacks the "GetInterface" export.
extern "C" __attribute__((visibility("default"))) int VarekoSomethingElse() { return 0; }
