#include "audio/MemoryFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>

namespace {

// The decoders' read and seek callbacks: positions stay inside the data whatever a (possibly
// hostile) stream asks for.
TEST(MemoryFile, ReadsAndSeeksWithinTheData) {
    MemoryFile file("abcdef");
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(file.Read(buffer, 8), 2u);
    EXPECT_EQ(file.Read(buffer, 8), 0u);

    EXPECT_EQ(file.Seek(-2, SEEK_END), 4);
    EXPECT_EQ(file.Seek(1, SEEK_CUR), 5);
    EXPECT_EQ(file.Seek(0, SEEK_SET), 0);
    EXPECT_EQ(file.Seek(6, SEEK_SET), 6);  // the end itself is a position
    EXPECT_EQ(file.Remaining(), 0u);

    file.Seek(3, SEEK_SET);
    EXPECT_EQ(file.Seek(7, SEEK_SET), -1);
    EXPECT_EQ(file.Seek(-4, SEEK_CUR), -1);
    EXPECT_EQ(file.Seek(1, SEEK_END), -1);
    EXPECT_EQ(file.Seek(std::numeric_limits<int64_t>::max(), SEEK_END), -1);
    EXPECT_EQ(file.Seek(std::numeric_limits<int64_t>::min(), SEEK_CUR), -1);
    EXPECT_EQ(file.Seek(0, 99), -1);
    EXPECT_EQ(file.Tell(), 3u);  // failed seeks leave the position alone
}

}  // namespace
