// main() of the test suite in WebAssembly, run by node on the real file
// system (NODERAWFS).
#include <emscripten.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

int main(int argc, char** argv) {
    // emscripten starts with umask 0777, so a file the game creates with the
    // mode "0666 less the umask" would get 000. The files are real ones:
    // take node's own umask, as a native test inherits its shell's.
    ::umask(static_cast<mode_t>(EM_ASM_INT({ return process.umask(); })));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
