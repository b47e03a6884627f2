// The velmora command: see Host.hpp.
#include <iostream>
#include <string>
#include <vector>

#include "host/Host.hpp"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return velmora::host::RunHost(args, nullptr, std::cerr);
}
