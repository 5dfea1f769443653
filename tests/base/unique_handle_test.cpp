// unique_handle_test.cpp
// UniqueHandle: each handle is closed exactly once, whichever way ownership
// ends, and the closer leaves the thread's last error as it found it.

#include <gtest/gtest.h>

#include <vector>

#include "base/unique_handle.h"

namespace {

std::vector<int> g_closed;

struct CountedTraits
{
    typedef int Handle;
    static Handle empty() { return 0; }
    static void close(Handle handle)
    {
        g_closed.push_back(handle);
        SetLastError(ERROR_INVALID_HANDLE); // a closer that changes the last error
    }
};
typedef UniqueHandle<CountedTraits> Counted;

TEST(UniqueHandle, ClosesEachHandleOnceAndKeepsTheLastError)
{
    g_closed.clear();
    SetLastError(0xdeadbeef);
    {
        Counted first(1);
        Counted second(std::move(first)); // moves: 1 now in second
        EXPECT_FALSE(first.valid());
        second.reset(2); // closes 1
        second.reset(2); // the same handle again: nothing
        Counted third(3);
        third = std::move(second); // closes 3, takes 2
        Counted fourth(4);
        EXPECT_EQ(4, fourth.release()); // given up: never closed
        EXPECT_FALSE(fourth.valid());
        EXPECT_EQ(2, third.get());
    } // closes 2
    EXPECT_EQ((std::vector<int>{1, 3, 2}), g_closed);
    EXPECT_EQ(0xdeadbeefu, GetLastError());
}

} // namespace
