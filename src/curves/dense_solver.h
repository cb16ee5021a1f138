// A dense solver for small linear systems (Gaussian elimination with partial
// pivoting) with a condition estimate, used for circle centres and other
// 3x3 systems of the geometric stages.
//
// One object holds one system at a time:
//
//   DenseSolver s;
//   if (s.w_crout0(3) != 0) { ...out of memory... }
//   s.w_crout1(i, j, a_ij);            // for each entry, 1-based; adds to it
//   int ierr; double cond;
//   s.w_crout2(ierr, cond);            // factorise, estimate the condition
//   if (ierr == 0 && cond <= limit) s.w_crout3(b);   // b[1..n] becomes x
//
// The storage is released by release() or by the destructor.
#pragma once

#include <vector>

namespace korvex {

// Condition reported for a matrix whose factor has a zero on its diagonal.
constexpr double kSingularCondition = 1e32;

class DenseSolver {
public:
    // Sets up a zero n x n matrix. Returns 0, or -1 when memory is short or n < 1.
    int w_crout0(int n);

    // Adds value to entry (i, j), both 1-based. Returns 0, or 1 when an index
    // lies outside 1..n or no matrix is set up (nothing is changed then).
    int w_crout1(int i, int j, double value);

    // Factorises the matrix in place (row interchanges recorded) and estimates
    // its 1-norm condition number. ierr: 0 done; -1 memory short; 1 no matrix.
    // cond is at least 1, and kSingularCondition when the matrix is singular.
    // Prints "  k=<column>" on standard output every 20th column.
    void w_crout2(int& ierr, double& cond);

    // Solves with the factorised matrix: rhs[1..n] is overwritten by the
    // solution (rhs[0] is untouched). Returns 0, or 1 when nothing is factorised
    // or rhs has fewer than n + 1 entries.
    int w_crout3(std::vector<double>& rhs);

    // Frees the matrix and the work vectors.
    void release();

    int order() const { return n_; }

private:
    double& a(int i, int j) { return a_[static_cast<std::size_t>((i - 1) * n_ + j)]; }
    double a(int i, int j) const { return a_[static_cast<std::size_t>((i - 1) * n_ + j)]; }
    double column_norm() const;
    void factorise();
    double estimate_condition(double anorm);
    void solve_in_work();  // forward elimination and back substitution on work_

    int n_ = 0;
    bool factorised_ = false;
    std::vector<double> a_;     // row-major, entry (i, j) at (i - 1) * n + j
    std::vector<double> work_;  // 1..n
    std::vector<int> pivot_;    // 1..n: row swapped with row k at step k
};

}  // namespace korvex
