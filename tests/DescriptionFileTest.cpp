// Choosing the description file: the host's list of names, the existence test, the key path.
// The list and the key path are read alike by the plug-in and the velmora host.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "descriptions/DescriptionFile.hpp"
#include "far/HostConventions.hpp"
#include "platform/Platform.hpp"
#include "support/FakeHost.hpp"
#include "support/FaultyFileSystem.hpp"
#include "support/MemoryRegistry.hpp"

namespace velmora {
namespace {

// Answers attribute queries from a table; every other operation fails.
class AttributeFileSystem : public FileSystem {
public:
    std::uint32_t Attributes(const std::string& path) override {
        queried.push_back(path);
        auto it = attributes.find(path);
        return it == attributes.end() ? kNoAttributes : it->second;
    }
    FileResult MoveNoReplace(const std::string&, const std::string&) override { return Refused(); }
    FileResult ReadStart(const std::string&, std::size_t, std::string*) override { return Refused(); }
    FileResult Delete(const std::string&) override { return Refused(); }
    bool SameFile(const std::string&, const std::string&) override { return false; }
    std::string TempDirectory() override { return std::string(); }
    FileResult CreateTempFile(const std::string&, const std::string&, std::string*) override { return Refused(); }
    FileResult OpenForWriting(const std::string&, std::unique_ptr<WritableFile>*) override { return Refused(); }
    FileResult ReplaceAtomically(const std::string&, const std::string&) override { return Refused(); }
    static FileResult Refused() { return FileResult(std::make_error_code(std::errc::permission_denied)); }

    std::map<std::string, std::uint32_t> attributes;
    std::vector<std::string> queried;
};

TEST(DescriptionFile, ListNames) {
    const struct {
        std::string list;
        std::vector<std::string> names;
    } cases[] = {
        {"Descript.ion,Files.bbs", {"Descript.ion", "Files.bbs"}},
        {"", {}},
        {"a", {"a"}},
        {"a, b", {"a", "b"}},
        {"a ,b", {"a ", "b"}},
        {" a", {" a"}},
        {"a,\t\n\v\f\r b", {"a", "b"}},
        {"a,\xA0"
         "b",
         {"a",
          "\xA0"
          "b"}},
        {"a,\x85"
         "b",
         {"a",
          "\x85"
          "b"}},
        {"[a,b],c", {"[a,b]", "c"}},
        {"[a,b", {"[a", "b"}},
        {"[[a],b]", {"[[a]", "b]"}},
        {"[a, b]", {"[a, b]"}},
        {"[a,[b],c", {"[a,[b]", "c"}},
        {"a],b", {"a]", "b"}},
        {"x[a,b]y,z", {"x[a,b]y", "z"}},
        {"a,,b", {"a", "", "b"}},
        {",a", {"", "a"}},
        {",", {""}},
        {"a,", {"a"}},
        {"a, \t", {"a"}},
        {"a,,", {"a", ""}},
        {std::string("a\0,b", 4), {"a"}},  // the list ends at its first zero byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(far::ListNames(c.list), c.names) << "list \"" << c.list << "\"";
    }
}

TEST(DescriptionFile, ListEndLeavesNameUntouched) {
    std::string name = "kept";
    const char list[] = "a";
    const char* next = far::NextListName(list, &name);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(name, "a");
    EXPECT_EQ(*next, '\0');
    name = "kept";
    EXPECT_EQ(far::NextListName(next, &name), nullptr);
    EXPECT_EQ(name, "kept");
}

TEST(DescriptionFile, KeyPath) {
    const std::string longRoot = std::string(300, 'k') + "\\" + std::string(300, 'p');
    const struct {
        const char* rootKey;
        std::string path;
    } cases[] = {
        {"Software\\Far\\Plugins", "Software\\Far\\Descriptions"},
        {"A\\B\\C", "A\\B\\Descriptions"},
        {"Plugins", "Plugins"},
        {"Software\\Far\\", "Software\\Far\\Descriptions"},
        {"\\Plugins", "\\Descriptions"},
        {"", ""},
        {nullptr, ""},
        {longRoot.c_str(), std::string(300, 'k') + "\\Descriptions"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(far::DescriptionsKeyPath(c.rootKey ? c.rootKey : ""), c.path) << (c.rootKey ? c.rootKey : "(null)");
    }
}

TEST(DescriptionFile, FileExistsSkipsOnlyPlainDirectories) {
    AttributeFileSystem files;
    const struct {
        std::uint32_t attributes;
        bool exists;
    } cases[] = {
        {kNoAttributes, false},
        {kAttrDirectory, false},
        {kAttrDirectory | kAttrHidden, true},
        {kAttrDirectory | kAttrReadOnly, true},
        {kAttrDirectory | kAttrSystem, true},
        {kAttrDirectory | kAttrArchive, true},
        {kAttrArchive, true},
        {kAttrReadOnly | kAttrHidden, true},
        {0, true},
    };
    for (const auto& c : cases) {
        files.attributes["x"] = c.attributes;
        EXPECT_EQ(FileExists(files, "x"), c.exists) << "attributes " << c.attributes;
    }
    EXPECT_FALSE(FileExists(files, "missing"));
    files.attributes[""] = kAttrArchive;
    EXPECT_FALSE(FileExists(files, ""));
}

struct Chosen {
    std::string name;
    int result;
};

Chosen Choose(const char* listValue, const std::map<std::string, std::uint32_t>& present,
              const std::string& rootKey = "Software\\Far\\Plugins") {
    test::FakeHost host(rootKey);
    test::MemoryRegistry registry;
    AttributeFileSystem files;
    files.attributes = present;
    if (listValue) {
        registry.Put(far::DescriptionsKeyPath(rootKey), "ListNames", std::string(listValue) + '\0');
    }
    Chosen chosen{"untouched", -1};
    chosen.result = FindDescriptionFile(host.Context(files, registry), &chosen.name) ? 1 : 0;
    return chosen;
}

TEST(DescriptionFile, Choice) {
    const std::uint32_t file = kAttrArchive;
    const struct {
        const char* list;  // null: no "ListNames" value
        std::map<std::string, std::uint32_t> present;
        std::string name;
        int result;
    } cases[] = {
        {"a,b", {{"b", file}}, "b", 1},
        {"b,a", {{"a", file}, {"b", file}}, "b", 1},
        {"a,b", {}, "Descript.ion", 0},
        {nullptr, {{"Descript.ion", file}}, "Descript.ion", 1},
        {nullptr, {{"Files.bbs", file}}, "Descript.ion", 0},
        // A list read successfully but empty names nothing, even when the default file exists.
        {"", {{"Descript.ion", file}}, "Descript.ion", 0},
        {"d,f", {{"d", kAttrDirectory}, {"f", file}}, "f", 1},
        {"h,f", {{"h", kAttrDirectory | kAttrHidden}, {"f", file}}, "h", 1},
        {"[a,b],c", {{"[a,b]", file}, {"c", file}}, "[a,b]", 1},
        {"a,,b", {{"", file}, {"b", file}}, "b", 1},
        {"x, y ", {{"y ", file}}, "y ", 1},
    };
    for (const auto& c : cases) {
        const Chosen chosen = Choose(c.list, c.present);
        EXPECT_EQ(chosen.name, c.name) << "list " << (c.list ? c.list : "(none)");
        EXPECT_EQ(chosen.result, c.result) << "list " << (c.list ? c.list : "(none)");
    }
}

TEST(DescriptionFile, ReadsTheHostsDescriptionsKey) {
    for (const std::string rootKey : {"Software\\Far\\Plugins", "Plugins"}) {
        test::FakeHost host(rootKey);
        test::MemoryRegistry registry;
        AttributeFileSystem files;
        std::string name;
        FindDescriptionFile(host.Context(files, registry), &name);
        ASSERT_EQ(registry.log.size(), 1u);
        EXPECT_EQ(registry.log[0], "Read(" + far::DescriptionsKeyPath(rootKey) + ",ListNames)");
        EXPECT_EQ(files.queried, std::vector<std::string>{"Descript.ion"});
    }
}

}  // namespace
}  // namespace velmora
