// Under ThreadSanitizer: Qt's raster engine splits large fills across Qt's thread pool, whose
// locking ThreadSanitizer cannot see in the uninstrumented Qt libraries; only races in
// instrumented code (ours) are reported. Ignored by other builds.
extern "C" const char* __tsan_default_options() {
    return "ignore_noninstrumented_modules=1";
}
