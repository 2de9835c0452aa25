// The polish's own coordinate for a bounded parameter. The solver moves an unbounded number and
// the parameter follows it within its bounds: a bound only on one side is approached as an
// exponential (the parameter's distance from the bound is exp of the coordinate), bounds on both
// sides as a logistic curve. The solver so never stands on a bound, where a projected step can
// no longer move it away, and a time constant or a slope is moved in proportion to its size.
#pragma once

#include "fit/polish.h"

struct BoundMap {
  double lower;  // -kUnbounded: none
  double upper;  // kUnbounded: none
  double least;  // the parameter's smallest sensible distance from a bound it starts on
};

BoundMap BoundMapOf(const ParamBounds& bounds, double typicalSize);

double ToCoordinate(const BoundMap& map, double value);  // a value on a bound is moved inside
double FromCoordinate(const BoundMap& map, double coordinate);
double ValuePerCoordinate(const BoundMap& map, double coordinate);  // d value / d coordinate
