// A small Levenberg-Marquardt least-squares fit with a forward-difference Jacobian, enough to
// choose the example parameters; not part of the program.
#pragma once

#include <functional>
#include <vector>

using Residuals = std::function<std::vector<double>(const std::vector<double>&)>;

double SumOfSquares(const std::vector<double>& r);

// Moves x to a local minimum of the sum of squared residuals; returns that sum.
double FitLeastSquares(const Residuals& residuals, std::vector<double>& x, int maxIterations = 300);
