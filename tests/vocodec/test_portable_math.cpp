// The decoder's own transcendental functions: as close to the true values as the C library's
// (so decoding keeps its quality), over the ranges the decoder feeds them.
#include <gtest/gtest.h>

#include <cmath>

#include "vocodec/portable_math.h"

using namespace vocodec;

namespace {

// Within a few units in the last place of the C library's value; the libraries themselves
// are off by up to ten in places (MinGW's pow at 10^-22), ours by one or two.
void ExpectClose(double ours, double library, const char* what, double x) {
    const double tolerance = 16.0 * std::fabs(library) * 2.220446049250313e-16 + 1e-300;
    EXPECT_NEAR(ours, library, tolerance) << what << "(" << x << ")";
}

}  // namespace

TEST(PortableMath, AgreesWithTheLibraryOverTheDecodersRanges) {
    for (double x = -20.0; x <= 20.0; x += 0.0137) {
        ExpectClose(portable::Cos(x), std::cos(x), "cos", x);
        ExpectClose(portable::Sin(x), std::sin(x), "sin", x);
        // Near a zero of cos or sin the value itself is tiny: compare absolutely there.
        EXPECT_NEAR(portable::Cos(x), std::cos(x), 1e-15) << "cos(" << x << ")";
    }
    for (double x = 1e-6; x < 1e12; x *= 1.37) {
        ExpectClose(portable::Log10(x), std::log10(x), "log10", x);
    }
    // Gains in decibels over 20: the powers of ten up to 10^22 are exact.
    for (double y = -22.0; y <= 22.0; y += 0.173) {
        ExpectClose(portable::Pow10(y), std::pow(10.0, y), "pow10", y);
        ExpectClose(portable::Exp(y), std::exp(y), "exp", y);
    }
}

TEST(PortableMath, EdgesAreTheLibrarysToo) {
    EXPECT_EQ(portable::Cos(0.0), 1.0);
    EXPECT_EQ(portable::Sin(0.0), 0.0);
    EXPECT_EQ(portable::Log10(1.0), 0.0);
    EXPECT_EQ(portable::Log10(0.0), -HUGE_VAL);
    EXPECT_TRUE(std::isnan(portable::Log10(-1.0)));
    EXPECT_EQ(portable::Exp(0.0), 1.0);
    EXPECT_EQ(portable::Exp(-1000.0), 0.0);
    EXPECT_EQ(portable::Exp(1000.0), HUGE_VAL);
    EXPECT_NEAR(portable::Pow10(2.0), 100.0, 1e-13);
}
