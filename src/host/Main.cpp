// The velmora command: see Host.hpp.
#include <iostream>

#include "host/ConsoleOutput.hpp"
#include "host/Host.hpp"
#include "platform/HostSystem.hpp"

int main(int argc, char** argv) {
    // Before anything touches a file: names are in the host's code page from the first one on.
    velmora::host::UseHostCodePage();
    velmora::host::ConsoleOutput console;
    return velmora::host::RunHost(velmora::host::ProgramArguments(argc, argv), nullptr, std::cerr);
}
