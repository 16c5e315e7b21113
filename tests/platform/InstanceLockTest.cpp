#include <gtest/gtest.h>
#include <sys/stat.h>
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

// The lock is never taken through a link (it would create or lock a file wherever the link
// points) nor on a FIFO (which would block the start).
TEST(InstanceLock, ALinkOrAFifoInTheLocksPlaceIsRefused) {
    TempFolder folder;
    const std::string path = folder.Path() + "instance.lock";
    const std::string target = folder.Path() + "elsewhere";
    const struct {
        const char* what;
        bool (*make)(const std::string& path, const std::string& target);
        const char* words;
    } cases[] = {
        {"a dangling link",
         [](const std::string& p, const std::string& t) {
             return ::symlink(t.c_str(), p.c_str()) == 0;
         },
         "is a link"},
        {"a FIFO",
         [](const std::string& p, const std::string&) { return ::mkfifo(p.c_str(), 0644) == 0; },
         "not a plain file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::unlink(path.c_str());
        ASSERT_TRUE(c.make(path, target));
        InstanceLock lock;
        std::string error;
        EXPECT_FALSE(lock.Acquire(path, &error));
        EXPECT_NE(error.find(c.words), std::string::npos) << error;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(::access(target.c_str(), F_OK), 0) << "the link's target was created";
    }
}
