// The main of every test program: the tests run on the headless desktop, and
// count two processors whatever the machine has (conversions share the
// processors out among their codecs: the tests run alike on every machine).
#include <gtest/gtest.h>

#include "platform/backend/headless/Headless.h"
#include "platform/sys/Processors.h"

int main(int argc, char** argv)
{
    backend::UseHeadless();
    sys::SetProcessorCount(2);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
