// The data file reader: header, layout line, rows of a time and up to six voltage/current pairs.
#include "io.h"

// Reading arrives with the data reader.
int ReadDataFile() {
  return 0;
}
int LoadDataFile(const std::string&) {
  return 0;
}
