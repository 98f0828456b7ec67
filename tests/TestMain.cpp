#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

// Exit codes reach ctest cut to 8 bits: report only pass (0) or fail (1).
int main(int argc, char** argv) {
    doctest::Context context(argc, argv);
    return context.run() == 0 ? 0 : 1;
}
