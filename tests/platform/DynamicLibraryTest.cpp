#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/DynamicLibrary.h"
#include "platform/ProgramPath.h"

using namespace quillstar;

TEST(DynamicLibrary, ResolvesAFunctionOfALoadedLibrary)
{
    DynamicLibrary library;
    ASSERT_TRUE(library.Open("libc.so.6")) << library.Error();
    const auto length = library.Resolve<size_t (*)(const char*)>("strlen");
    ASSERT_NE(length, nullptr);
    EXPECT_EQ(length("burn"), 4u);
    EXPECT_EQ(library.Symbol("no_such_symbol_here"), nullptr);
    EXPECT_FALSE(library.Error().empty());
}

TEST(DynamicLibrary, AMissingFileFailsWithAReason)
{
    DynamicLibrary library;
    EXPECT_FALSE(library.Open("/nonexistent/libwnaspi32.so"));
    EXPECT_FALSE(library.IsOpen());
    EXPECT_NE(library.Error().find("libwnaspi32.so"), std::string::npos);
    EXPECT_EQ(library.Symbol("SendASPI32Command"), nullptr);
}

TEST(ProgramPath, NamesThisTestProgram)
{
    EXPECT_EQ(std::filesystem::path(ProgramPath()).filename(), "tests-platform");
    EXPECT_EQ(std::filesystem::path(ProgramPath()).parent_path().string(), ProgramDirectory());
}
