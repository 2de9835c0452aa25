// Levenberg-Marquardt with Marquardt's diagonal scaling; the normal equations are solved by
// Gaussian elimination with partial pivoting (a dozen unknowns at most).
#include "least_squares.h"

#include <cmath>
#include <cstddef>
#include <utility>

namespace {

using Matrix = std::vector<std::vector<double>>;

// Solves a x = b in place; returns false when a is singular.
bool SolveLinear(Matrix a, std::vector<double> b, std::vector<double>& x) {
  const size_t n = b.size();
  for (size_t col = 0; col < n; ++col) {
    size_t pivot = col;
    for (size_t row = col + 1; row < n; ++row)
      if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
    if (a[pivot][col] == 0.0) return false;
    std::swap(a[pivot], a[col]);
    std::swap(b[pivot], b[col]);
    for (size_t row = col + 1; row < n; ++row) {
      const double factor = a[row][col] / a[col][col];
      for (size_t k = col; k < n; ++k) a[row][k] -= factor * a[col][k];
      b[row] -= factor * b[col];
    }
  }
  x.assign(n, 0.0);
  for (size_t row = n; row-- > 0;) {
    double sum = b[row];
    for (size_t k = row + 1; k < n; ++k) sum -= a[row][k] * x[k];
    x[row] = sum / a[row][row];
  }
  return true;
}

Matrix Jacobian(const Residuals& residuals, const std::vector<double>& x,
                const std::vector<double>& atX) {
  constexpr double kRelativeStep = 1e-6;
  Matrix columns(x.size());
  for (size_t j = 0; j < x.size(); ++j) {
    std::vector<double> moved = x;
    const double step = kRelativeStep * std::fmax(std::fabs(x[j]), 1.0);
    moved[j] += step;
    const std::vector<double> r = residuals(moved);
    columns[j].resize(r.size());
    for (size_t i = 0; i < r.size(); ++i) columns[j][i] = (r[i] - atX[i]) / step;
  }
  return columns;
}

}  // namespace

double SumOfSquares(const std::vector<double>& r) {
  double sum = 0.0;
  for (double v : r) sum += v * v;
  return sum;
}

double FitLeastSquares(const Residuals& residuals, std::vector<double>& x, int maxIterations) {
  constexpr double kStartDamping = 1e-3;
  constexpr double kMaxDamping = 1e12;
  constexpr double kRelativeTolerance = 1e-12;  // stop when a step gains less than this
  std::vector<double> r = residuals(x);
  double cost = SumOfSquares(r);
  double damping = kStartDamping;
  const size_t n = x.size();

  for (int iteration = 0; iteration < maxIterations && damping < kMaxDamping; ++iteration) {
    const Matrix jt = Jacobian(residuals, x, r);  // one row per parameter
    Matrix normal(n, std::vector<double>(n, 0.0));
    std::vector<double> gradient(n, 0.0);
    for (size_t a = 0; a < n; ++a) {
      for (size_t b = a; b < n; ++b) {
        double sum = 0.0;
        for (size_t i = 0; i < r.size(); ++i) sum += jt[a][i] * jt[b][i];
        normal[a][b] = normal[b][a] = sum;
      }
      for (size_t i = 0; i < r.size(); ++i) gradient[a] -= jt[a][i] * r[i];
    }

    // Raise the damping until a step lowers the cost, or give up.
    bool improved = false;
    while (damping < kMaxDamping) {
      Matrix damped = normal;
      for (size_t a = 0; a < n; ++a) damped[a][a] += damping * (normal[a][a] + 1e-12);
      std::vector<double> step;
      if (SolveLinear(damped, gradient, step)) {
        std::vector<double> trial = x;
        for (size_t a = 0; a < n; ++a) trial[a] += step[a];
        const std::vector<double> trialR = residuals(trial);
        const double trialCost = SumOfSquares(trialR);
        if (std::isfinite(trialCost) && trialCost < cost) {
          const double gain = (cost - trialCost) / cost;
          x = trial;
          r = trialR;
          cost = trialCost;
          damping = std::fmax(damping / 10.0, 1e-12);
          improved = gain > kRelativeTolerance;
          break;
        }
      }
      damping *= 10.0;
    }
    if (!improved) break;
  }
  return cost;
}
