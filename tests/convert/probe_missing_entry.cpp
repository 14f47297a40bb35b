// A broken decoder for the tests: it resets, but has no vDecode.
extern "C" __attribute__((visibility("default"))) int vInitDecoder(void) {
    return 0;
}
