#include "platform/ProgramPath.h"

#include <filesystem>
#include <system_error>

namespace quillstar {

std::string ProgramPath()
{
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string ProgramDirectory()
{
    return std::filesystem::path(ProgramPath()).parent_path().string();
}

}  // namespace quillstar
