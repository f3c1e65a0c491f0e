// A shared object that calls a function nobody defines: binding every symbol
// at load time must refuse it.
extern "C" int VarekoNowhereDefined();
extern "C" __attribute__((visibility("default"))) int VarekoCallsNowhere() {
    return VarekoNowhereDefined();
}
