#include <iostream>
#include <string>
#include <vector>

#include "kalvo-db/Commands.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return kalvo::runKalvoDb(arguments, std::cout, std::cerr);
}
