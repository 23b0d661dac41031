// Dynamic libraries: loading by name or path, symbols, and the system's error texts.
#include <gtest/gtest.h>

#include "platform/sys/DynLib.h"

TEST(DynLib, LoadsLooksUpAndReportsTheSystemsErrors)
{
    sys::LibHandle m = sys::LoadLibrary("libm.so.6");
    ASSERT_NE(m, nullptr) << sys::LastDynLibError();
    EXPECT_EQ(sys::LastDynLibError(), "");
    auto cosFn = reinterpret_cast<double (*)(double)>(sys::GetProcAddress(m, "cos"));
    ASSERT_NE(cosFn, nullptr);
    EXPECT_DOUBLE_EQ(cosFn(0.0), 1.0);

    EXPECT_EQ(sys::GetProcAddress(m, "no_such_entry_point"), nullptr);
    EXPECT_NE(sys::LastDynLibError().find("no_such_entry_point"), std::string::npos) << sys::LastDynLibError();
    sys::FreeLibrary(m);

    struct Case { const char* name; const char* inError; };
    const Case cases[] = {
        {"/nonexistent/folder/libhook.so", "libhook.so"},   // the system's text names the file
        {"libno-such-library-here.so", "libno-such-library-here.so"},
        {"", "no library name"},                            // never the program itself
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(sys::LoadLibrary(c.name), nullptr) << c.name;
        EXPECT_NE(sys::LastDynLibError().find(c.inError), std::string::npos) << sys::LastDynLibError();
    }
    EXPECT_EQ(sys::GetProcAddress(nullptr, "cos"), nullptr);
    EXPECT_NE(sys::LastDynLibError(), "");
    sys::FreeLibrary(nullptr);   // harmless
}
