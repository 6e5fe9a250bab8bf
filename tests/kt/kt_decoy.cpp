// A library that loads like kt but exports something else.
extern "C" int KtDecoy() {
  return 1;
}
