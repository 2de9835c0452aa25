// The parameter file: its layout, the writer and the reader.
#include "io.h"

// The layout arrives with the parameter file work.
int Save_Current_Values() {
  return 0;
}
int Read_Last_Values() {
  return 0;
}
void WriteParamFile(std::FILE*) {}
int SaveParamFile(const std::string&) {
  return 0;
}
int LoadParamFile(const std::string&) {
  return 0;
}
