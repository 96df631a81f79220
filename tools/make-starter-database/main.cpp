#include <exception>
#include <iostream>

#include "make-starter-database/StarterDatabase.h"

// Writes the starter database into the folder given, by default the current one. The files
// in data/ are its output; run it again whenever the starter types change.
int main(int argc, char** argv) {
    if (argc > 2) {
        std::cerr << "Usage: kalvo-make-starter-database [FOLDER]\n";
        return 2;
    }
    try {
        kalvo::writeStarterDatabase(argc == 2 ? argv[1] : ".");
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
