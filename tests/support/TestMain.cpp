// The entry point of every test program.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    // Ends here, with the tests' result, without running the exit handlers of
    // the DLLs and, under Wine, of the Linux libraries that Wine loaded (the
    // GL and Vulkan drivers with LLVM, Xlib). wineserver kills a process that
    // is still there half a second after its last thread ended: on a loaded
    // machine those handlers take longer, and a test that passed ended as
    // "Subprocess killed". Nothing of a test is left to clean up by then.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
