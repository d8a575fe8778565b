#include <gtest/gtest.h>

#include <string>

#include "platform/TraceCapture.h"

using namespace quillstar;

TEST(Trace, FormatsIntoTheInstalledSink)
{
    TraceCapture capture;
    Trace("WaitForBufferToBeFilled(). SyncBufferIsLocked=%lu\n", 1ul);
    Trace("iError=%d %s %x\n", -15, "text", 0x2a);
    ASSERT_EQ(capture.Texts().size(), 2u);
    EXPECT_TRUE(capture.Contains("WaitForBufferToBeFilled(). SyncBufferIsLocked=1\n"));
    EXPECT_EQ(capture.Texts()[1], "iError=-15 text 2a\n");
}

TEST(Trace, CutsTextsAtTheBufferSize)
{
    TraceCapture capture;
    const std::string longText(5000, 'x');
    Trace("%s", longText.c_str());
    ASSERT_EQ(capture.Texts().size(), 1u);
    EXPECT_EQ(capture.Texts()[0].size(), 1023u);
}

TEST(Trace, CaptureRestoresThePreviousSink)
{
    TraceCapture outer;
    {
        TraceCapture inner;
        Trace("inner\n");
        EXPECT_TRUE(inner.Contains("inner\n"));
    }
    Trace("outer\n");
    EXPECT_EQ(outer.Texts(), std::vector<std::string>{"outer\n"});
}
