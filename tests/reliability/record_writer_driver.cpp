// Saves one record over and over, alternating between two values, until it is
// killed: a test kills it at random moments and then looks at the file.
//
//   record_writer_driver FILE SECTION KEY VALUE1 VALUE2
#include <cstdio>
#include <filesystem>

#include "platform/ini_file.h"

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s FILE SECTION KEY VALUE1 VALUE2\n", argc > 0 ? argv[0] : "record_writer_driver");
        return 2;
    }
    const std::filesystem::path file = argv[1];
    // Tells a waiting test that the saves begin now (the start-up, slow under
    // the sanitizers, is not what the test wants to interrupt).
    std::fputs("saving\n", stdout);
    std::fflush(stdout);
    for (unsigned long saves = 0;; ++saves) {
        const auto failure = platform::ini::WritePrivateProfileString(argv[2], argv[3], argv[4 + saves % 2], file);
        if (failure) {
            std::fprintf(stderr, "record_writer_driver: save %lu failed: %s\n", saves + 1, failure->describe().c_str());
            return 1;
        }
    }
}
