// Standard errors, correlations and the parameters the data do not determine.
#include "fit/covariance.h"

#include <Eigen/Dense>
#include <cmath>

namespace {

using RowMajorMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

}  // namespace

void FoldRows(std::vector<double>* r, int n, const double* rows, int rowCount) {
  RowMajorMatrix stacked(n + rowCount, n);
  stacked.topRows(n) = Eigen::Map<const RowMajorMatrix>(r->data(), n, n);
  stacked.bottomRows(rowCount) = Eigen::Map<const RowMajorMatrix>(rows, rowCount, n);
  Eigen::HouseholderQR<RowMajorMatrix> qr(stacked);
  Eigen::Map<RowMajorMatrix>(r->data(), n, n) =
      qr.matrixQR().topRows(n).triangularView<Eigen::Upper>();
}

CovarianceFigures EstimateCovariance(const std::vector<double>& r, int n,
                                     std::span<const double> typicalSize, double residualSquares,
                                     int residualCount) {
  CovarianceFigures figures;
  figures.standardErrors.assign(n, std::nullopt);
  figures.correlation.assign(static_cast<size_t>(n) * n, 0.0);
  figures.seen.assign(n, 0.0);
  const Eigen::Map<const RowMajorMatrix> R(r.data(), n, n);

  // Column lengths of R are those of the Jacobian.
  const Eigen::VectorXd length = R.colwise().norm().transpose();
  double largestEffect = 0.0;
  for (int j = 0; j < n; ++j) largestEffect = std::max(largestEffect, length[j] * typicalSize[j]);
  std::vector<int> seen;
  for (int j = 0; j < n; ++j) {
    if (length[j] > 0.0 && length[j] * typicalSize[j] > kInvisibleEffect * largestEffect) {
      seen.push_back(j);
    }
  }
  const int m = static_cast<int>(seen.size());
  if (m == 0) {
    figures.note = "the data do not depend on any free parameter";
    return figures;
  }
  Eigen::MatrixXd scaled(n, m);
  for (int c = 0; c < m; ++c) scaled.col(c) = R.col(seen[c]) / length[seen[c]];
  const Eigen::JacobiSVD<Eigen::MatrixXd> svd(scaled, Eigen::ComputeThinV);
  const Eigen::VectorXd& sigma = svd.singularValues();
  const Eigen::MatrixXd& directions = svd.matrixV();
  int rank = 0;
  while (rank < m && sigma[rank] > kRankTolerance * sigma[0]) ++rank;

  const int degrees = residualCount - rank;
  if (degrees <= 0) {
    figures.note = "there are no more samples than determined parameters";
    return figures;
  }
  const double variance = residualSquares / degrees;
  // The pseudo-inverse over the seen directions: for a determined parameter, its variance.
  const Eigen::MatrixXd seenDirections = directions.leftCols(rank);
  const Eigen::VectorXd inverseSquares = sigma.head(rank).array().square().inverse();
  const Eigen::MatrixXd scaledCovariance =
      seenDirections * inverseSquares.asDiagonal() * seenDirections.transpose();

  std::vector<bool> determined(m, false);
  for (int c = 0; c < m; ++c) {
    const double unseen = directions.row(c).tail(m - rank).norm();
    if (unseen > kNullComponent) continue;
    figures.seen[seen[c]] = 1.0 / std::sqrt(scaledCovariance(c, c)) / sigma[0];
    determined[c] = figures.seen[seen[c]] >= kLeastSeen;
    if (!determined[c]) continue;
    figures.standardErrors[seen[c]] =
        std::sqrt(variance * scaledCovariance(c, c)) / length[seen[c]];
  }
  for (int a = 0; a < m; ++a) {
    for (int b = 0; b < m; ++b) {
      if (!determined[a] || !determined[b]) continue;
      const double correlation =
          scaledCovariance(a, b) / std::sqrt(scaledCovariance(a, a) * scaledCovariance(b, b));
      figures.correlation[static_cast<size_t>(seen[a]) * n + seen[b]] = correlation;
    }
  }
  return figures;
}
