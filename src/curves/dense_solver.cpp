#include "curves/dense_solver.h"

#include <cmath>
#include <new>

#include "base/messages.h"

namespace korvex {

namespace {

// Spare entries allocated beyond each table.
constexpr std::size_t kSpare = 101;
// Column interval of the progress line printed during factorisation.
constexpr int kProgressEvery = 20;

}  // namespace

int DenseSolver::w_crout0(int n) {
    release();
    if (n < 1) return -1;
    try {
        const auto nn = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
        a_.assign(nn + kSpare, 0.0);
    } catch (const std::bad_alloc&) {
        release();
        return -1;
    }
    n_ = n;
    return 0;
}

int DenseSolver::w_crout1(int i, int j, double value) {
    if (n_ == 0 || i < 1 || j < 1 || i > n_ || j > n_) return 1;
    a(i, j) += value;
    factorised_ = false;
    return 0;
}

void DenseSolver::release() {
    n_ = 0;
    factorised_ = false;
    std::vector<double>().swap(a_);
    std::vector<double>().swap(work_);
    std::vector<int>().swap(pivot_);
}

double DenseSolver::column_norm() const {
    double anorm = 0.0;
    for (int j = 1; j <= n_; ++j) {
        double sum = 0.0;
        for (int i = 1; i <= n_; ++i) sum += std::fabs(a(i, j));
        if (sum > anorm) anorm = sum;
    }
    return anorm;
}

// Gaussian elimination with partial pivoting. Below the diagonal the negated
// multipliers are kept; interchanges apply to the columns not yet eliminated,
// so the multipliers of step k are used with the swaps recorded up to step k.
void DenseSolver::factorise() {
    for (int k = 1; k < n_; ++k) {
        if (k % kProgressEvery == 0) console("  k=%i\n", k);
        int l = k;
        for (int i = k + 1; i <= n_; ++i)
            if (std::fabs(a(i, k)) > std::fabs(a(l, k))) l = i;
        pivot_[static_cast<std::size_t>(k)] = l;
        if (a(l, k) == 0.0) continue;  // column already zero: singular, left for the estimate
        if (l != k) std::swap(a(l, k), a(k, k));
        const double t = -1.0 / a(k, k);
        for (int i = k + 1; i <= n_; ++i) a(i, k) *= t;
        for (int j = k + 1; j <= n_; ++j) {
            const double m = a(l, j);
            if (l != k) std::swap(a(l, j), a(k, j));
            for (int i = k + 1; i <= n_; ++i) a(i, j) += m * a(i, k);
        }
    }
    pivot_[static_cast<std::size_t>(n_)] = n_;
}

// Condition estimate after the LINPACK estimator: w solves U'w = e with
// e_k = +-1 chosen against the partial sum so that w grows; y = L'^-1 w
// (with the interchanges); z = A^-1 y; cond = |A|_1 * |z|_1 / |y|_1.
double DenseSolver::estimate_condition(double anorm) {
    std::vector<double>& w = work_;
    for (int k = 1; k <= n_; ++k) {
        if (a(k, k) == 0.0) return kSingularCondition;
        double s = 0.0;
        for (int i = 1; i < k; ++i) s += a(i, k) * w[static_cast<std::size_t>(i)];
        const double ek = s > 0.0 ? -1.0 : 1.0;
        w[static_cast<std::size_t>(k)] = (ek - s) / a(k, k);
    }
    for (int k = n_ - 1; k >= 1; --k) {
        double s = 0.0;
        for (int i = k + 1; i <= n_; ++i) s += a(i, k) * w[static_cast<std::size_t>(i)];
        w[static_cast<std::size_t>(k)] += s;
        const int l = pivot_[static_cast<std::size_t>(k)];
        std::swap(w[static_cast<std::size_t>(l)], w[static_cast<std::size_t>(k)]);
    }
    double ynorm = 0.0;
    for (int k = 1; k <= n_; ++k) ynorm += std::fabs(w[static_cast<std::size_t>(k)]);
    solve_in_work();
    double znorm = 0.0;
    for (int k = 1; k <= n_; ++k) znorm += std::fabs(w[static_cast<std::size_t>(k)]);
    const double cond = anorm * znorm / ynorm;
    if (!std::isfinite(cond) || !(ynorm > 0.0)) return kSingularCondition;
    return cond < 1.0 ? 1.0 : cond;
}

void DenseSolver::w_crout2(int& ierr, double& cond) {
    ierr = 0;
    cond = kSingularCondition;
    if (n_ == 0) {
        ierr = 1;
        return;
    }
    try {
        work_.assign(static_cast<std::size_t>(n_) + kSpare, 0.0);
        pivot_.assign(static_cast<std::size_t>(n_) + kSpare, 0);
    } catch (const std::bad_alloc&) {
        ierr = -1;
        return;
    }
    const double anorm = column_norm();
    factorise();
    factorised_ = true;
    if (n_ == 1) {
        cond = a(1, 1) == 0.0 ? kSingularCondition : 1.0;
        return;
    }
    cond = estimate_condition(anorm);
}

void DenseSolver::solve_in_work() {
    std::vector<double>& b = work_;
    auto at = [](int i) { return static_cast<std::size_t>(i); };
    for (int k = 1; k < n_; ++k) {
        const int l = pivot_[at(k)];
        const double t = b[at(l)];
        if (l != k) std::swap(b[at(l)], b[at(k)]);
        for (int i = k + 1; i <= n_; ++i) b[at(i)] += t * a(i, k);
    }
    for (int k = n_; k >= 1; --k) {
        b[at(k)] /= a(k, k);
        const double t = -b[at(k)];
        for (int i = 1; i < k; ++i) b[at(i)] += t * a(i, k);
    }
}

int DenseSolver::w_crout3(std::vector<double>& rhs) {
    if (!factorised_ || rhs.size() < static_cast<std::size_t>(n_) + 1) return 1;
    for (int k = 1; k <= n_; ++k) work_[static_cast<std::size_t>(k)] = rhs[static_cast<std::size_t>(k)];
    solve_in_work();
    for (int k = 1; k <= n_; ++k) rhs[static_cast<std::size_t>(k)] = work_[static_cast<std::size_t>(k)];
    return 0;
}

}  // namespace korvex
