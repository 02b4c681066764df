// The main of a test binary that needs a display: one Xvfb server of
// 1024 x 768 for every test in it.
#include <gtest/gtest.h>

#include "tests/support/xvfb.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testsupport::AddXvfbEnvironment(1024, 768, 24);
    return RUN_ALL_TESTS();
}
