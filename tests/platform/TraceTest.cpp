#include <gtest/gtest.h>

#include <string>

#include "platform/TraceCapture.h"

using namespace quillstar;

TEST(Trace, FormatsIntoTheInstalledSinkCutsLongTextsAndRestoresTheSinkBefore)
{
    TraceCapture outer;
    {
        TraceCapture inner;
        Trace("iError=%d %s %x\n", -15, "text", 0x2a);
        Trace("%s", std::string(5000, 'x').c_str());
        ASSERT_EQ(inner.Texts().size(), 2u);
        EXPECT_EQ(inner.Texts()[0], "iError=-15 text 2a\n");
        EXPECT_EQ(inner.Texts()[1].size(), 1023u);
    }
    Trace("outer\n");
    EXPECT_EQ(outer.Texts(), std::vector<std::string>{"outer\n"});
}
