// The program's entry point: the command line decides between the window and a headless job.
#include "app/cli.h"

int main(int argc, char* argv[]) {
  return RunCommandLine(argc, argv);
}
