#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// Discovery writes the drive report file into $HOME: every test of this
// program runs with a home folder of its own.
class TempHome : public ::testing::Environment {
public:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillstar-recorder-XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        ASSERT_NE(made, nullptr);
        folder_ = made;
        setenv("HOME", folder_.c_str(), 1);
    }

    void TearDown() override { std::filesystem::remove_all(folder_); }

private:
    std::string folder_;
};

const auto* const tempHome = ::testing::AddGlobalTestEnvironment(new TempHome);

}  // namespace
