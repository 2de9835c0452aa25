// The program's entry point: the command line decides between the window and a headless job.
#include "cli.h"

int main(int argc, char* argv[]) {
  return RunCommandLine(argc, argv);
}
