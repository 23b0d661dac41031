// The main of every test program: the tests run on the headless desktop.
#include <gtest/gtest.h>

#include "platform/backend/headless/Headless.h"

int main(int argc, char** argv)
{
    backend::UseHeadless();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
