// Writes velmora's man page or its bash completion, both made from the option table that
// velmora --help is made from. The build runs it (cmake/Package.cmake):
//   velmora_docs man DATE FILE
//   velmora_docs bash-completion FILE
#include <fstream>
#include <iostream>
#include <string>

#include "host/Options.hpp"

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    std::string text;
    const char* path = nullptr;
    if (what == "man" && argc == 4) {
        text = velmora::host::ManPage(argv[2]);
        path = argv[3];
    } else if (what == "bash-completion" && argc == 3) {
        text = velmora::host::BashCompletion();
        path = argv[2];
    } else {
        std::cerr << "usage: velmora_docs man DATE FILE | velmora_docs bash-completion FILE\n";
        return 2;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "velmora_docs: cannot write " << path << '\n';
        return 1;
    }
    return 0;
}
