// The program's entry point.
#include "pavik.h"

int main(int argc, char* argv[]) {
  return PavikMain(argc, argv);
}
