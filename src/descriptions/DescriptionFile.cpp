#include "descriptions/DescriptionFile.hpp"

#include "far/HostConventions.hpp"
#include "settings/Settings.hpp"

namespace velmora {
namespace {

// When the host's list cannot be read. The hosts themselves fall back on a longer list
// ("Descript.ion,Files.bbs"); nothing is lost by the shorter one: in a directory that has only
// Files.bbs the host still shows its descriptions, so they all reach the new Descript.ion, which
// the host reads first from then on, and Files.bbs itself is left as it was.
constexpr char kDefaultDescriptionName[] = "Descript.ion";
// The host keeps its list in a value of at most 259 characters and its terminator.
constexpr std::size_t kListCapacity = 260;

}  // namespace

bool FileExists(FileSystem& files, const std::string& path) {
    // An empty name never names a file (the Windows attribute query refuses it too).
    if (path.empty()) {
        return false;
    }
    const std::uint32_t attributes = files.Attributes(path);
    return attributes != kNoAttributes && attributes != kAttrDirectory;
}

bool FindDescriptionFile(const RunContext& context, std::string* name) {
    std::string list;
    if (context.listNames) {
        list = context.listNames;
    } else {
        ReadRegistryString(context.registry, far::DescriptionsKeyPath(context.rootKey), "ListNames", &list,
                           kListCapacity, kDefaultDescriptionName);
    }
    for (const std::string& candidate : far::ListNames(list)) {
        if (FileExists(context.files, candidate)) {
            *name = candidate;
            return true;
        }
    }
    *name = kDefaultDescriptionName;
    return false;
}

}  // namespace velmora
