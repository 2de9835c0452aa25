// Standard errors and correlations of least-squares estimates from the Jacobian at the solution,
// with the parameters that the data do not determine (the Jacobian is rank-deficient along them)
// set apart instead of given a meaningless number. Works on the triangular factor R of the
// Jacobian (J = QR), which is built a few rows at a time and keeps the precision that forming
// J^T J would lose.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

// Directions whose singular value, with every column scaled to unit length, lies below this
// fraction of the largest are taken as not seen by the data at all. Rounding leaves such
// directions near 1e-13; a direction at 1e-8 would have a standard error 1e8 times that of the
// best one.
inline constexpr double kRankTolerance = 1e-8;
// A parameter whose unit vector has a component above this in an unseen direction is not
// determined.
inline constexpr double kNullComponent = 1e-3;
// A parameter is not determined either when its own singular value (1 / the root of its scaled
// variance, against the largest) is below this: its standard error would be 10,000 times what
// the data would give it alone. The figure moves smoothly with the solution, so two solutions
// of equal cost in a long valley are labelled alike, where a cut at the rounding level flips
// between them.
inline constexpr double kLeastSeen = 1e-4;
// A parameter whose effect, moved by its typical size, is below this fraction of the largest
// such effect is not seen at all.
inline constexpr double kInvisibleEffect = 1e-12;

// The triangular factor of the stacked rows so far: `r` (n x n, row-major, upper triangular;
// all zero to start) becomes the R of [r; rows], rows being `rowCount` x n, row-major.
void FoldRows(std::vector<double>* r, int n, const double* rows, int rowCount);

struct CovarianceFigures {
  std::vector<std::optional<double>> standardErrors;  // per parameter; empty: not determined
  std::vector<double> seen;         // per parameter: its own scaled singular value; 0 when unseen
  std::vector<double> correlation;  // n x n row-major; 0 where either is not determined
  std::string note;                 // why there are none, when there are none
};

// From R of the Jacobian of the residuals (n parameters), each parameter's typical size (its
// unit's sensible step or its magnitude) and the residuals' sum of squares over `residualCount`
// residuals: the covariance scaled by the residual variance (sum of squares over the residuals
// less the determined parameters).
CovarianceFigures EstimateCovariance(const std::vector<double>& r, int n,
                                     std::span<const double> typicalSize, double residualSquares,
                                     int residualCount);
