#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/InstanceLock.h"
#include "support/TempFolder.h"

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstLetsGo) {
    TempFolder folder;
    const std::string path = folder.Path() + "instance.lock";

    InstanceLock first;
    std::string error;
    ASSERT_TRUE(first.Acquire(path, &error)) << error;
    InstanceLock second;
    EXPECT_FALSE(second.Acquire(path, &error));
    EXPECT_EQ(error, "already running");
    first.Release();
    EXPECT_TRUE(second.Acquire(path, &error)) << error;
    second.Release();

    EXPECT_FALSE(first.Acquire("/nonexistent-folder/instance.lock", &error));
    EXPECT_NE(error.find("/nonexistent-folder/instance.lock"), std::string::npos);
}
