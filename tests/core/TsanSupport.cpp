// The flood test launches the whole client, whose text layout starts Pango's font thread.
// Pango and fontconfig hand their data over through glib's futex-based locks, which the race
// detector cannot see; their own accesses are left out, nothing of ours is.
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions() {
  return "race:libfontconfig.so\n"
         "race:libpango-1.0.so\n"
         "race:libpangoft2-1.0.so\n"
         "race:libglib-2.0.so\n";
}
#endif
