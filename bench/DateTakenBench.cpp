// The date-taken reader over a folder of photos, as a whole process, to set against
// `exiv2 -r ... rename` (bench/taken-vs-exiv2.sh):
//   velmora_bench_taken make DIR N [MB]   writes N JPEGs with EXIF dates (one second apart) and
//                                         image data up to about MB megabytes each: the first
//                                         256 KB real bytes, the rest a hole
//   velmora_bench_taken read DIR          reads every file's date taken in name order, prints how
//                                         many had one
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "naming/DateTaken.hpp"
#include "platform/Platform.hpp"
#include "support/PhotoFiles.hpp"

namespace {

int Make(const std::string& dir, int count, int megabytes) {
    for (int i = 0; i < count; ++i) {
        char date[32];
        const int second = 1000 + i;  // distinct names for exiv2, so no file collides with another
        std::snprintf(date, sizeof date, "2024:07:%02d %02d:%02d:%02d", 1 + second / 86400,
                      second / 3600 % 24, second / 60 % 60, second % 60);
        velmora::test::TiffLayout layout;
        layout.makerNote = 6000;
        const std::string head = velmora::test::JpegWithDates({date, date, date}, layout, false, 256 * 1024);
        char name[64];
        std::snprintf(name, sizeof name, "/DSC_%05d.JPG", i);
        const std::string path = dir + name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, head.data(), head.size()) != static_cast<ssize_t>(head.size()))
            return 1;
        // 2..MB megabytes, varying as photos do; the end of the image after the hole.
        const off_t size = (2 + i % (megabytes > 2 ? megabytes - 1 : 1)) * 1048576L;
        if (::pwrite(fd, "\xFF\xD9", 2, size - 2) != 2 || ::close(fd) != 0)
            return 1;
    }
    return 0;
}

int Read(const std::string& dir) {
    velmora::FileDateTaken source(velmora::SystemFileSystem());
    DIR* listing = ::opendir(dir.c_str());
    if (listing == nullptr)
        return 1;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        if (entry->d_name[0] != '.')
            names.push_back(dir + "/" + entry->d_name);
    }
    ::closedir(listing);
    // In name order, as a panel sorted by name or a shell's glob hands them over.
    std::sort(names.begin(), names.end());
    int found = 0;
    for (const std::string& name : names) {
        velmora::CivilTime taken;
        velmora::ExifDateTag tag;
        found += source.DateTaken(name, &taken, &tag);
    }
    std::printf("%d of %zu files have a date taken\n", found, names.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make" && argc >= 4)
        return Make(argv[2], std::atoi(argv[3]), argc > 4 ? std::atoi(argv[4]) : 5);
    if (command == "read" && argc == 3)
        return Read(argv[2]);
    std::fprintf(stderr, "usage: velmora_bench_taken make DIR N [MB] | read DIR\n");
    return 2;
}
