#include <gtest/gtest.h>

#include "util/VersionNumbers.h"

TEST(ParseVersionFields, FourCommaSeparatedNumbers) {
    unsigned char n[4] = {9, 9, 9, 9};
    EXPECT_EQ(ParseVersionFields("1, 0, 0, 2", n), 4);
    EXPECT_EQ(n[0], 1);
    EXPECT_EQ(n[1], 0);
    EXPECT_EQ(n[2], 0);
    EXPECT_EQ(n[3], 2);
}

TEST(ParseVersionFields, KeepsTheLowEightBits) {
    unsigned char n[4] = {};
    EXPECT_EQ(ParseVersionFields("300, 1, 0, 0", n), 4);
    EXPECT_EQ(n[0], 44);
    EXPECT_EQ(n[1], 1);
    ParseVersionFields("256,-1,65537,4294967295", n);
    EXPECT_EQ(n[0], 0);
    EXPECT_EQ(n[1], 255);
    EXPECT_EQ(n[2], 1);
    EXPECT_EQ(n[3], 255);
}

TEST(ParseVersionFields, DottedTextIsOneField) {
    unsigned char n[4] = {7, 7, 7, 7};
    EXPECT_EQ(ParseVersionFields("1.0.0.2", n), 1);
    EXPECT_EQ(n[0], 1);
    EXPECT_EQ(n[1], 7);
    EXPECT_EQ(n[2], 7);
    EXPECT_EQ(n[3], 7);
}

TEST(ParseVersionFields, FieldsReadLikeAtol) {
    unsigned char n[4] = {7, 7, 7, 7};
    EXPECT_EQ(ParseVersionFields(" 12abc,,x3, +4", n), 4);
    EXPECT_EQ(n[0], 12);
    EXPECT_EQ(n[1], 0); // empty field
    EXPECT_EQ(n[2], 0); // no digits first
    EXPECT_EQ(n[3], 4);
}

TEST(ParseVersionFields, StopsAfterFourFieldsOrAtTheEnd) {
    unsigned char n[4] = {7, 7, 7, 7};
    EXPECT_EQ(ParseVersionFields("", n), 0);
    EXPECT_EQ(n[0], 7);
    EXPECT_EQ(ParseVersionFields("1,2,", n), 2);
    EXPECT_EQ(n[1], 2);
    EXPECT_EQ(n[2], 7);
    EXPECT_EQ(ParseVersionFields("1,2,3,4,5,6", n), 4);
    EXPECT_EQ(n[3], 4);
}
