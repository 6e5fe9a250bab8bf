// Sanitizer builds only: libgettextpo 0.21 never frees a message's msgctxt
// (message_free leaves it, and so does its parser's string list), which no
// caller can free for it. LeakSanitizer is told to pass over the library's
// own allocations, so that the leaks it reports are ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libgettextpo.so\n";
}
