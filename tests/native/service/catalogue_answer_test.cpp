#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "service/CatalogueAnswer.h"
#include "service/DottedVersion.h"
#include "service/InstallerCatalogue.h"

using service::AppendCatalogueEntries;
using service::CatalogueLines;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// Installed versions as the registry would hold them, with a record of every value asked for.
struct FakeRegistry {
    std::map<std::string, std::string> values;
    std::vector<std::string> asked;

    service::InstalledVersionLookup Lookup() {
        return [this](const std::string& name) {
            asked.push_back(name);
            auto it = values.find(name);
            return it == values.end() ? std::string() : it->second;
        };
    }
};

struct Entries {
    std::vector<uint16_t> kinds;
    std::vector<uint32_t> versions;
};

Entries Parse(const std::string& answer, FakeRegistry& registry, int force = 0) {
    Entries e;
    AppendCatalogueEntries(answer, force, registry.Lookup(), e.kinds, e.versions);
    return e;
}

} // namespace

TEST(DottedVersion, PacksFourPartsEachCutTo8Bits) {
    EXPECT_EQ(ParseDottedVersion("1.2.3.4"), 0x01020304u);
    EXPECT_EQ(ParseDottedVersion("1.2.300.4"), 0x01022C04u);
    EXPECT_EQ(ParseDottedVersion("255.255.255.255"), 0xFFFFFFFFu);
    // atoi rules per part: leading blanks and a sign, digits up to the first other character.
    EXPECT_EQ(ParseDottedVersion(" 1. +2.3x.-1"), 0x010203FFu);
    EXPECT_EQ(ParseDottedVersion("..."), 0u);
    EXPECT_EQ(ParseDottedVersion("1.2.3.4,5"), 0x01020304u);
}

TEST(DottedVersion, AnythingButThreeDotsIsZero) {
    EXPECT_EQ(ParseDottedVersion(""), 0u);
    EXPECT_EQ(ParseDottedVersion("1.2.3"), 0u);
    EXPECT_EQ(ParseDottedVersion("1.2.3.4.5"), 0u);
    EXPECT_EQ(ParseDottedVersion("1,2,3,4"), 0u);
}

TEST(CatalogueLines, EmptyTokensAreDroppedButCountTowardTheLimit) {
    // 25 lines with an empty token between each pair: 49 tokens, all lines seen.
    std::string answer, longer;
    for (int i = 1; i <= 25; ++i)
        answer += (i > 1 ? "\n\n" : "") + std::to_string(i) + ",1";
    EXPECT_EQ(CatalogueLines(answer).size(), 25u);
    // One more line makes 51 tokens: the 26th line is the 51st token and is not looked at.
    longer = answer + "\n\n26,1";
    std::vector<std::string> lines = CatalogueLines(longer);
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_EQ(lines.back(), "25,1");
}

TEST(CatalogueLines, SixtyLinesGiveTheFirstFifty) {
    std::string answer;
    for (int i = 1; i <= 60; ++i)
        answer += std::to_string(i) + ",0\r\n";
    std::vector<std::string> lines = CatalogueLines(answer);
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(lines.front(), "1,0");
    EXPECT_EQ(lines.back(), "50,0");
}

TEST(CatalogueLines, TokensAreTrimmedAndBlankOnesDropped) {
    EXPECT_THAT(CatalogueLines(" 1.2.3.4 \r\n\t\r\n 5,6\r"), ElementsAre("1.2.3.4", "5,6"));
    EXPECT_THAT(CatalogueLines(" \r\n\t \n "), IsEmpty());
    EXPECT_THAT(CatalogueLines(""), IsEmpty());
}

TEST(CatalogueEntries, InstalledClientSkippedMissingCustomKept) {
    FakeRegistry registry;
    registry.values["Version"] = "1.2.3.4";
    // The answer after normalisation: the empty middle line is gone already.
    Entries e = Parse("1.2.3.4\r\n5,6", registry);
    EXPECT_THAT(e.kinds, ElementsAre(Custom));
    EXPECT_THAT(e.versions, ElementsAre(0x00050006u));
    EXPECT_THAT(registry.asked, ElementsAre("Version", "Custom_000.005"));
}

TEST(CatalogueEntries, EqualOrHigherInstalledSkipsLowerKeeps) {
    FakeRegistry registry;
    registry.values["Version"] = "1.2.3.4";
    registry.values["Custom_001.002"] = "1.2.0.3"; // equal to 258,3
    registry.values["Custom_000.007"] = "0.7.0.9"; // higher than 7,8
    registry.values["Custom_000.009"] = "0.9.0.0"; // lower than 9,1
    Entries e = Parse("1.2.3.3\n1.2.3.4\n1.2.3.5\n258,3\n7,8\n9,1", registry);
    EXPECT_THAT(e.kinds, ElementsAre(Client, Custom));
    EXPECT_THAT(e.versions, ElementsAre(0x01020305u, 0x00090001u));
}

TEST(CatalogueEntries, PackageNumberHighAndLowByteNameTheRegistryValue) {
    FakeRegistry registry;
    Entries e = Parse("258,3", registry);
    EXPECT_THAT(e.versions, ElementsAre(0x01020003u));
    EXPECT_THAT(registry.asked, ElementsAre("Custom_001.002"));
}

TEST(CatalogueEntries, InstalledValueWithoutThreeDotsCountsAsZero) {
    FakeRegistry registry;
    registry.values["Version"] = "9.9.9";
    registry.values["Custom_000.005"] = "5,7";
    Entries e = Parse("1.0.0.0\n5,6", registry);
    EXPECT_THAT(e.kinds, ElementsAre(Client, Custom));
}

TEST(CatalogueEntries, ForceKeepsEveryNonZeroEntryWithoutReadingTheRegistry) {
    FakeRegistry registry;
    registry.values["Version"] = "255.255.255.255";
    Entries e = Parse("1.2.3.4\n5,6\n0.0.0.0\n0,0", registry, 1);
    EXPECT_THAT(e.kinds, ElementsAre(Client, Custom));
    EXPECT_THAT(e.versions, ElementsAre(0x01020304u, 0x00050006u));
    EXPECT_THAT(registry.asked, IsEmpty());
}

TEST(CatalogueEntries, LinesOfNeitherFormAndZeroVersionsGiveNothing) {
    FakeRegistry registry;
    Entries e = Parse("1.2.3\n0.0.0.0\n0,0\n1,2,3\nhello\n1.2.3.4.5", registry, 1);
    EXPECT_THAT(e.kinds, IsEmpty());
    EXPECT_THAT(e.versions, IsEmpty());
}

TEST(CatalogueEntries, ThreeDotsWinOverTheComma) {
    FakeRegistry registry;
    Entries e = Parse("1.2.3.4,5", registry);
    EXPECT_THAT(e.kinds, ElementsAre(Client));
    EXPECT_THAT(e.versions, ElementsAre(0x01020304u));
}

TEST(CatalogueEntries, DuplicatesKeptInAnswerOrder) {
    FakeRegistry registry;
    registry.values["Version"] = "1.0.0.0";
    Entries e = Parse("2.0.0.0\n5,6\n2.0.0.0\n1.5.0.0", registry);
    EXPECT_THAT(e.kinds, ElementsAre(Client, Custom, Client, Client));
    EXPECT_THAT(e.versions, ElementsAre(0x02000000u, 0x00050006u, 0x02000000u, 0x01050000u));
}

TEST(CatalogueEntries, CommaAtEitherEndGivesNoEntryAndTheQueryGoesOn) {
    FakeRegistry registry;
    Entries e = Parse(",5\n5,\n7,8", registry);
    EXPECT_THAT(e.versions, ElementsAre(0x00070008u));
    EXPECT_THAT(registry.asked, ElementsAre("Custom_000.007"));
}

TEST(CatalogueEntries, CustomNumbersReadLikeAtoiAndWrapAround32Bits) {
    FakeRegistry registry;
    // A sign and trailing junk follow atoi; a negative number wraps without undefined behaviour.
    Entries e = Parse(" 3x , +4\n-1,0\n1,70000", registry);
    EXPECT_THAT(e.versions, ElementsAre(0x00030004u, 0xFFFF0000u, 0x00021170u));
    EXPECT_THAT(registry.asked, ElementsAre("Custom_000.003", "Custom_255.255", "Custom_000.002"));
}

TEST(CatalogueEntries, AppendsBehindWhatIsThere) {
    FakeRegistry registry;
    Entries e;
    e.kinds = {Client};
    e.versions = {0x01000000u};
    AppendCatalogueEntries("5,6", 0, registry.Lookup(), e.kinds, e.versions);
    EXPECT_THAT(e.kinds, ElementsAre(Client, Custom));
    EXPECT_THAT(e.versions, ElementsAre(0x01000000u, 0x00050006u));
}
