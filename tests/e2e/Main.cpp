// Entry of the end-to-end tests: one X server for all of them, and no child
// process left behind however the program ends.
#include <gtest/gtest.h>

#include "Processes.h"
#include "VirtualDisplay.h"

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    processInstallCleanup();
    ::testing::AddGlobalTestEnvironment(new VirtualDisplay);
    return RUN_ALL_TESTS();
}
