// Under ThreadSanitizer: Qt (and the GLib main loop under it) hands memory between its own
// threads and through its event queue under locks of its own, which the sanitizer cannot see
// in libraries that were not built with it. What happens inside those libraries is not ours to
// check; our own code, and every hand-over between our threads (GuiThreadQueue), still is.
// Without the sanitizer nothing calls this.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n"
           "called_from_lib:libglib-2.0.so.0\n";
}
