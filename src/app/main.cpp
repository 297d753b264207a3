#include <cstdio>

#include "host/version.h"

int main() {
  std::printf("ZOLM for Linux %s: the machine cannot start yet; run the tests\n", zolm_version());
  return 0;
}
