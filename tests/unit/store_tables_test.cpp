#include <gtest/gtest.h>

#include <climits>

#include "DecimalText.h"
#include "TimeoutTables.h"

using namespace store;

TEST(TimeoutTables, IndexesRoundTripThroughBothTables) {
    for (std::uint32_t i = 1; i <= kTimeoutCount; ++i) {
        EXPECT_EQ(TimeoutToIndex(IndexToTimeout(i)), i);
    }
    for (std::uint32_t i = 1; i <= kHibernateTimeoutCount; ++i) {
        EXPECT_EQ(HibernateTimeoutToIndex(IndexToHibernateTimeout(i)), i);
    }
}

TEST(TimeoutTables, KnownEntries) {
    EXPECT_EQ(TimeoutToIndex(900), 11u);
    EXPECT_EQ(TimeoutToIndex(0), 1u);
    EXPECT_EQ(IndexToTimeout(2), 18000u);
    EXPECT_EQ(IndexToTimeout(16), 60u);
    EXPECT_EQ(HibernateTimeoutToIndex(21600), 2u);
    EXPECT_EQ(IndexToHibernateTimeout(7), 3600u);
    EXPECT_EQ(IndexToHibernateTimeout(17), 60u);
}

TEST(TimeoutTables, UnknownSecondsGiveOnePastTheTable) {
    EXPECT_EQ(TimeoutToIndex(1000), 17u);
    EXPECT_EQ(TimeoutToIndex(21600), 17u); // only in the hibernate table
    EXPECT_EQ(HibernateTimeoutToIndex(1000), 18u);
}

TEST(TimeoutTables, IndexesOutsideTheTableMeanNever) {
    EXPECT_EQ(IndexToTimeout(0), 0u);
    EXPECT_EQ(IndexToTimeout(17), 0u);
    EXPECT_EQ(IndexToTimeout(0xFFFFFFFFu), 0u);
    EXPECT_EQ(IndexToHibernateTimeout(0), 0u);
    EXPECT_EQ(IndexToHibernateTimeout(18), 0u);
}

TEST(BatteryBands, BandEdges) {
    EXPECT_EQ(ColumnForPercent(100), 0);
    EXPECT_EQ(ColumnForPercent(76), 0);
    EXPECT_EQ(ColumnForPercent(75), 1);
    EXPECT_EQ(ColumnForPercent(51), 1);
    EXPECT_EQ(ColumnForPercent(50), 2);
    EXPECT_EQ(ColumnForPercent(26), 2);
    EXPECT_EQ(ColumnForPercent(25), 3);
    EXPECT_EQ(ColumnForPercent(0), 3);
    EXPECT_EQ(ColumnForPercent(255), -1);
    EXPECT_EQ(ColumnForPercent(-1), -1);
}

TEST(DecimalText, KeyIdsAreCanonicalNonNegativeNumbers) {
    EXPECT_EQ(ParseKeyId("0"), 0);
    EXPECT_EQ(ParseKeyId("1500"), 1500);
    EXPECT_EQ(ParseKeyId("2147483647"), INT_MAX);
    for (const char* name : {"", "007", "-1", "+3", " 4", "4 ", "x", "12a", "2147483648"}) {
        EXPECT_FALSE(ParseKeyId(name)) << '"' << name << '"';
    }
    EXPECT_FALSE(ParseKeyId(nullptr));
}

TEST(DecimalText, AcceptsOnlyWholeNumbers) {
    EXPECT_EQ(ParseDecimal("0"), 0);
    EXPECT_EQ(ParseDecimal("42"), 42);
    EXPECT_EQ(ParseDecimal("-3"), -3);
    EXPECT_EQ(ParseDecimal("2147483647"), INT_MAX);
    EXPECT_EQ(ParseDecimal("-2147483648"), INT_MIN);
    EXPECT_FALSE(ParseDecimal("2147483648"));
    EXPECT_FALSE(ParseDecimal("99999999999999999999999"));
    EXPECT_FALSE(ParseDecimal(""));
    EXPECT_FALSE(ParseDecimal("-"));
    EXPECT_FALSE(ParseDecimal(" 1"));
    EXPECT_FALSE(ParseDecimal("1a"));
    EXPECT_FALSE(ParseDecimal(nullptr));
}
