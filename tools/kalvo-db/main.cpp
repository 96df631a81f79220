#include <iostream>
#include <string>
#include <vector>

#include "kalvo-db/Commands.h"
#ifdef KALVO_DB_CALDAV
#include "kalvo-db/NetworkCalDav.h"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
#ifdef KALVO_DB_CALDAV
    return kalvo::runKalvoDb(arguments, std::cout, std::cerr, kalvo::networkCalDav());
#else
    // A build without Qt reads calendar files only.
    return kalvo::runKalvoDb(arguments, std::cout, std::cerr);
#endif
}
