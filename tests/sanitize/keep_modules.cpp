// Sanitizer build only: libraries loaded at run time (Mesa's software GL
// driver, which the GL library unloads when the display closes) stay mapped
// until the process ends, so that LeakSanitizer's report at exit can still
// name them and the suppressions in lsan.supp can match them by name. The
// executable's own dlclose stands in for the C library's for every library
// in the process.
extern "C" int dlclose(void*) { return 0; }
