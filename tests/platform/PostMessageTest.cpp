#include <gtest/gtest.h>

#include <thread>

#include "platform/MessageQueue.h"
#include "platform/PostMessage.h"

using namespace quillstar;

TEST(PostMessage, ReachesTheRegisteredQueueInOrder)
{
    MessageQueue queue;
    std::thread poster([&] {
        PostMessage(queue.Handle(), 1042);
        PostMessage(queue.Handle(), 1044, 7, -3);
    });
    const auto first = queue.Take();
    const auto second = queue.Take();
    poster.join();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->message, 1042u);
    EXPECT_EQ(second->message, 1044u);
    EXPECT_EQ(second->wParam, 7u);
    EXPECT_EQ(second->lParam, -3);
    EXPECT_FALSE(queue.Take(0));
}

TEST(PostMessage, AHandleWhoseTargetWentPostsNowhere)
{
    WindowHandle stale;
    {
        MessageQueue queue;
        stale = queue.Handle();
    }
    MessageQueue other;
    EXPECT_NE(other.Handle(), stale);
    EXPECT_FALSE(PostMessage(stale, 1026));
    EXPECT_FALSE(PostMessage(nullptr, 1026));
    EXPECT_FALSE(other.Take(0));
}
