// The fast formatter against printf on values where the two could part:
// signs of zero, subnormals, the ends of the exponent range, halfway and
// rounding cases at the last digit, whole numbers at the switch between
// fixed and exponent notation, and the non-finite values.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "base/number_format.h"

namespace korvex {
namespace {

std::string printf_text(const char* fmt, double v, int precision) {
    char text[128];
    std::snprintf(text, sizeof text, fmt, precision, v);
    return text;
}

std::vector<double> awkward_values() {
    std::vector<double> v = {0.0, -0.0, 1.0, -1.0, 0.1, -0.1, 1.0 / 3.0, 2.0 / 3.0, 0.5, 1.5, 2.5, 9.5,
                             123456789012345.0, 1234567890123456.0, 999999999999999.4, 999999999999999.5,
                             9.999999999999995e-5, 9.9999999999999995e-5, 1e-4, 1e-5, 1e14, 1e15, 1e16, 1e17,
                             0.12345678901234549, 0.12345678901234551, 1.0000000000000002, 0.9999999999999999,
                             1e300, -1e300, 1e-300, -1e-300, 1.7976931348623157e308, DBL_MIN, -DBL_MIN,
                             4.9406564584124654e-324, -4.9406564584124654e-324, 2.2250738585072009e-308,
                             5e-324 * 12345, 3.14159265358979, -2.718281828459045, 100.0, 1e5, 123456.5, 1e-7,
                             std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                             std::nan(""), -std::nan("")};
    // Values whose 15th significant digit is followed by a 5 (rounding to even or not).
    for (int e = -20; e <= 20; e += 5) v.push_back(1.000000000000005 * std::pow(10.0, e));
    for (double x = 0.000001; x < 1e7; x *= 7.3) v.push_back(x + x / 3e15);
    return v;
}

TEST(NumberFormat, GeneralMatchesPrintfForEveryPrecisionAndSign) {
    for (const double v : awkward_values()) {
        for (const int p : {0, 1, 2, 6, 8, 15, 16, 17}) {
            std::string ours;
            append_general(ours, v, p);
            EXPECT_EQ(ours, printf_text("%.*g", v, p)) << "value " << v << " precision " << p;
            std::string signed_wide;
            append_general(signed_wide, v, p, true, 22);
            char fmt[16];
            std::snprintf(fmt, sizeof fmt, "%%+22.%dg", p);
            char text[128];
            std::snprintf(text, sizeof text, fmt, v);
            EXPECT_EQ(signed_wide, text) << "value " << v << " precision " << p;
        }
        EXPECT_EQ(general_text(v, 15), printf_text("%.*g", v, 15));
    }
}

TEST(NumberFormat, IntegersMatchPrintfWithWidth) {
    for (const long long v : {0LL, 7LL, -7LL, 99999LL, 999999LL, 1000000LL, 12345678LL, -123456LL, 2147483647LL}) {
        for (const int w : {0, 1, 6, 10}) {
            char text[64];
            std::snprintf(text, sizeof text, "%*lld", w, v);
            std::string ours;
            append_int(ours, v, w);
            EXPECT_EQ(ours, text) << v << " width " << w;
        }
    }
}

}  // namespace
}  // namespace korvex
