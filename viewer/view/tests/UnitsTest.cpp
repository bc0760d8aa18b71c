#include <gtest/gtest.h>

#include <cmath>

#include "view/Units.h"

using namespace vexlan;

TEST(Units, ImperialMillisecondsVelocityRoundTrips) {
    float shown = VelocityForDisplay(1000.0f, kImperial, kMilliseconds);
    EXPECT_NEAR(shown, 3.28084f, 1e-5f);
    EXPECT_NEAR(VelocityFromEntry(3.28084f, kImperial, kMilliseconds), 1000.0f, 0.01f);
    EXPECT_FLOAT_EQ(VelocityForDisplay(1234.5f, kMetric, kSeconds), 1234.5f);
    EXPECT_NEAR(VelocityForDisplay(1200.0f, kMetric, kMilliseconds), 1.2f, 1e-6f);
}

TEST(Units, ImperialLengthAndDiameterUseTheirOwnFactors) {
    EXPECT_FLOAT_EQ(LengthFromEntry(100.0f, kImperial), static_cast<float>(100.0 * 0.3047999902464003));
    EXPECT_FLOAT_EQ(DiameterFromEntry(4.0f, kImperial), static_cast<float>(4.0 * 25.4000508001016));
    EXPECT_FLOAT_EQ(DiameterForDisplay(100.0f, kImperial), static_cast<float>(100.0 * 0.03937));
    float stored = LengthFromEntry(328.0f, kImperial);
    EXPECT_NEAR(LengthForDisplay(stored, kImperial), 328.0f, 1e-3f);
    EXPECT_FLOAT_EQ(LengthFromEntry(12.5f, kMetric), 12.5f);
}

TEST(Units, TextsFollowTheUnits) {
    EXPECT_STREQ(LengthUnitText(kImperial), "ft");
    EXPECT_STREQ(DiameterUnitText(kImperial), "ins");
    EXPECT_STREQ(VelocityUnitText(kMetric), "m /");
    EXPECT_STREQ(TimeUnitText(kMilliseconds), "ms");
    EXPECT_STREQ(TimeUnitText(-1), "s");
}

TEST(Units, TimeDelayAndDistanceFormats) {
    EXPECT_EQ(FormatTimeDelay(-0.01234f, kSeconds), "-0.0123");
    EXPECT_EQ(FormatTimeDelay(-0.01234f, kMilliseconds), "-12.3");
    EXPECT_EQ(FormatDistance(50.0f, kMetric), "50.0 m");
    EXPECT_EQ(FormatDistance(50.0f, kImperial), "164.0 ft");
    EXPECT_EQ(FormatCutoff(0), "OPEN");
    EXPECT_EQ(FormatCutoff(150.25f), "150.2");
    EXPECT_EQ(FormatFloatField(1234.5678f), "1234.57");
    EXPECT_EQ(FormatFloatField(0), "0");
}

TEST(Units, FieldParsingRefusesWhatCannotBeStored) {
    for (const char* bad : {"", "   ", "abc", "12abc", "nan", "inf", "-inf", "0x10", "1e400", "1..2", "--1"}) {
        FieldParse p = ParseFieldValue(bad, kLengthMaximum);
        EXPECT_FALSE(p.value.has_value()) << bad;
        EXPECT_FALSE(p.error.empty()) << bad;
    }
    EXPECT_FALSE(ParseFieldValue("-5", kLengthMaximum).value);
    EXPECT_FALSE(ParseFieldValue("2e12", kLengthMaximum).value);
    EXPECT_FALSE(ParseFieldValue("2e11", kVelocityMaximum).value);
    EXPECT_FALSE(ParseFieldValue("1.1e11", kVelocityMaximum).value);
}

TEST(Units, FieldParsingAcceptsPlainNumbersInRange) {
    struct Case {
        const char* text;
        float maximum;
        float expected;
    };
    // The limits are floats: "1e12" rounds to exactly the limit and is inside it.
    for (Case c :
         {Case{" 12.5 ", kLengthMaximum, 12.5f}, Case{"1e12", kLengthMaximum, 1e12f}, Case{"0", kLengthMaximum, 0.0f},
          Case{"1e11", kVelocityMaximum, 1e11f}, Case{"0", kVelocityMaximum, 0.0f}}) {
        FieldParse p = ParseFieldValue(c.text, c.maximum);
        ASSERT_TRUE(p.value.has_value()) << c.text;
        EXPECT_FLOAT_EQ(*p.value, c.expected) << c.text;
    }
    FieldParse minusZero = ParseFieldValue("-0", kLengthMaximum);
    ASSERT_TRUE(minusZero.value.has_value());
    EXPECT_FALSE(std::signbit(*minusZero.value));
}
