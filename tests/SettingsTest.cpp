#include <gtest/gtest.h>

#include "settings/Settings.hpp"
#include "support/MemoryRegistry.hpp"

namespace velmora {
namespace {

const std::string kKey = "Software\\Far\\Plugins\\Velmora";

TEST(Settings, FirstUseGivesDefaultsAndStoringCreatesAllFour) {
    test::MemoryRegistry registry;

    RenameOptions options = LoadOptions(registry, kKey);
    EXPECT_EQ(options.Mask, "%F");
    EXPECT_EQ(options.StartNumber, "0");
    EXPECT_EQ(options.SaveDescription, 0u);
    EXPECT_EQ(options.WithoutZero, 0u);
    // The four first, then the steps after the template, which a first use stores nothing of.
    std::vector<std::string> reads;
    for (const char* name : {"velmora", "number", "SaveDescription", "WithoutZero", "Find", "ReplaceWith",
                             "RegularExpression", "MatchCase", "FirstMatchOnly", "NameCase", "ExtensionCase"})
        reads.push_back("Read(" + kKey + "," + name + ")");
    EXPECT_EQ(registry.log, reads);
    EXPECT_FALSE(options.Rules.Active());

    registry.log.clear();
    options.Mask = "IMG_%#.%E";
    options.StartNumber = "";
    options.SaveDescription = 1;
    StoreOptions(registry, kKey, options);
    EXPECT_EQ(registry.log,
              (std::vector<std::string>{
                  "WriteDword(" + kKey + ",SaveDescription)", "WriteDword(" + kKey + ",WithoutZero)",
                  "WriteString(" + kKey + ",velmora)", "WriteString(" + kKey + ",number)"}));
    EXPECT_EQ(registry.values[kKey + "|velmora"], std::string("IMG_%#.%E\0", 10));
    EXPECT_EQ(registry.values[kKey + "|SaveDescription"], std::string("\1\0\0\0", 4));

    // A cleared start number comes back empty, not as the default.
    RenameOptions again = LoadOptions(registry, kKey);
    EXPECT_EQ(again.Mask, "IMG_%#.%E");
    EXPECT_EQ(again.StartNumber, "");
    EXPECT_EQ(again.SaveDescription, 1u);
}

TEST(Settings, StringReadsHonourTheCapacity) {
    test::MemoryRegistry registry;
    std::string text;

    // 259 characters and a terminator fit; 260 characters do not, and read as the default.
    registry.Put(kKey, "velmora", std::string(259, 'a') + std::string(1, '\0'));
    EXPECT_TRUE(ReadRegistryString(registry, kKey, "velmora", &text, kOptionTextCapacity, "%F"));
    EXPECT_EQ(text, std::string(259, 'a'));
    registry.Put(kKey, "velmora", std::string(260, 'a') + std::string(1, '\0'));
    EXPECT_FALSE(ReadRegistryString(registry, kKey, "velmora", &text, kOptionTextCapacity, "%F"));
    EXPECT_EQ(text, "%F");

    // Exactly 260 bytes without a terminator keep room for one.
    registry.Put(kKey, "velmora", std::string(260, 'b'));
    EXPECT_TRUE(ReadRegistryString(registry, kKey, "velmora", &text, kOptionTextCapacity, "%F"));
    EXPECT_EQ(text, std::string(259, 'b'));

    // Whatever the stored type, the bytes up to the first zero are the text.
    registry.Put(kKey, "number", std::string("12\0junk", 7));
    EXPECT_TRUE(ReadRegistryString(registry, kKey, "number", &text, kOptionTextCapacity, "0"));
    EXPECT_EQ(text, "12");
    registry.Put(kKey, "number", "\xC3\xA9\x80\xFF");
    EXPECT_TRUE(ReadRegistryString(registry, kKey, "number", &text, kOptionTextCapacity, "0"));
    EXPECT_EQ(text, "\xC3\xA9\x80\xFF");
}

TEST(Settings, NumberReads) {
    test::MemoryRegistry registry;
    EXPECT_EQ(ReadRegistryDword(registry, kKey, "WithoutZero", 7), 7u);
    registry.Put(kKey, "WithoutZero", std::string("\x01\x02\x03\x04", 4));
    EXPECT_EQ(ReadRegistryDword(registry, kKey, "WithoutZero", 7), 0x04030201u);
    registry.Put(kKey, "WithoutZero", std::string("\x05", 1));
    EXPECT_EQ(ReadRegistryDword(registry, kKey, "WithoutZero", 7), 5u);
    registry.Put(kKey, "WithoutZero", std::string("\x01\x02\x03\x04\x05", 5));  // too large
    EXPECT_EQ(ReadRegistryDword(registry, kKey, "WithoutZero", 7), 7u);
}

// The steps after the template sit beside the four: written once they are used, and from then on
// whenever the four are, so that clearing them is kept too. A case number out of range reads as
// unchanged.
TEST(Settings, StepsAfterTheTemplateAreStoredOnceUsed) {
    test::MemoryRegistry registry;
    RenameOptions options = LoadOptions(registry, kKey);
    options.Rules.Find = "фото";
    options.Rules.Replace = "$1_";
    options.Rules.Regex = 1;
    options.Rules.ExtensionCase = kCaseLower;
    StoreOptions(registry, kKey, options);
    RenameOptions again = LoadOptions(registry, kKey);
    EXPECT_TRUE(again.Rules == options.Rules);
    EXPECT_TRUE(again.RulesStored);

    again.Rules = RuleOptions{};
    registry.log.clear();
    StoreOptions(registry, kKey, again);
    EXPECT_EQ(registry.log.size(), 11u);
    EXPECT_EQ(LoadOptions(registry, kKey).Rules.Find, "");

    registry.values[kKey + "|NameCase"] = std::string("\7\0\0\0", 4);
    EXPECT_EQ(LoadOptions(registry, kKey).Rules.NameCase, kCaseUnchanged);
}

}  // namespace
}  // namespace velmora
