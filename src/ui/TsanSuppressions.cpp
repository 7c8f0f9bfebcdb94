// Under ThreadSanitizer only: Qt here is not built with it, so the synchronisation inside Qt's
// own thread pool (which splits large image conversions and fills across threads) is invisible
// and its allocations, made on one pool thread and freed on another, read as races (also those
// of GLib, which runs each pool thread's event dispatcher). Calls into the allocator and libc
// made from inside these libraries are therefore not tracked. Every
// hand-over between this program's two threads uses standard mutexes and is still checked.
// Linked into each executable that shows windows (the program, its tests and benchmarks).
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n"
           "called_from_lib:libglib-2.0.so.0\n";
}
#endif
