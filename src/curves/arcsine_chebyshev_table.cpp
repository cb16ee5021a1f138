// Chebyshev coefficients of f(y) = arcsin(y)/y - 1 in the variable
// t = 4y^2 - 1 over 0 <= y^2 <= 1/2, in the convention
// f = c0/2 + sum_{k>=1} ck*Tk(t).
//
// How they were produced (offline, exact rational arithmetic): with
// u = y^2 = (1 + t)/4 the power series is f = sum_{n>=1} an*u^n,
// an = C(2n, n) / (4^n (2n + 1)). Writing t = cos(theta),
// ((1 + t)/2)^n = cos^{2n}(theta/2)
//               = 4^-n * [C(2n, n) + 2 * sum_{k=1..n} C(2n, n - k) Tk(t)],
// so u^n = 8^-n * [C(2n, n) + 2 sum_k C(2n, n - k) Tk(t)] and
//     ck = 2 * sum_{n>=max(k,1)} an * C(2n, n - k) / 8^n.
// Every term is positive and at most 2^-n, so summing n = 1..300 with
// Python's fractions.Fraction and rounding with decimal at 40 digits gives
// each ck far beyond double precision. The values are printed with 22
// significant digits; the compiler rounds them to the nearest double.
#include "curves/arcsine.h"

namespace korvex {

const double kArcsineChebyshev[kArcsineSeriesTerms] = {
    1.024639175322715933657e-1,   // c0
    5.494648722124583330601e-2,   // c1
    4.080630392544969285131e-3,   // c2
    4.078900685460443545561e-4,   // c3
    4.698536743220369161613e-5,   // c4
    5.880975813970805898720e-6,   // c5
    7.773231246277763275696e-7,   // c6
    1.067742334008203924038e-7,   // c7
    1.509239953602280830556e-8,   // c8
    2.180972408005538583657e-9,   // c9
    3.207598426278961703498e-10,  // c10
    4.785536964678105381251e-11,  // c11
    7.225128736291057213019e-12,  // c12
    1.101833474225588193342e-12,  // c13
    1.694763253920402509055e-13,  // c14
    2.626155866735266620234e-14,  // c15
    4.095829981330977248310e-15,  // c16
    6.424479310898239526946e-16,  // c17
    1.012814219833669834790e-16,  // c18
    1.603922189801984493588e-17,  // c19
    2.550350135946091010836e-18,  // c20
    4.070140381813193109292e-19,  // c21
    6.517267182196172310856e-20,  // c22
    1.046745309402710302395e-20,  // c23
    1.685872585146398253846e-21,  // c24
    2.722193771807482310169e-22,  // c25
    4.405930061648844031626e-23,  // c26
    7.146671616675824012620e-24,  // c27
    1.161580713230513072422e-24,  // c28
    1.891529407185662169010e-25,  // c29
    3.085602068201558080112e-26,  // c30
    5.041737082473387759239e-27,  // c31
    8.250665227921005450879e-28,  // c32
    1.352151605059696679338e-28,  // c33
    2.218974176563164910279e-29,  // c34
    3.646158529497971428779e-30,  // c35
    5.998520398034085482015e-31,  // c36
    9.879828924680934439750e-32,  // c37
    1.629014959743273361134e-32,  // c38
};

}  // namespace korvex
