// ostrino-library: the valve library from the command line (list, show, export, match and
// remove records). Qt-free, so that scripts can use it on any machine.

#include <iostream>
#include <string>
#include <vector>

#include "library/library_command.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return ostrino::library::runLibraryCommand(args, std::cout, std::cerr);
}
