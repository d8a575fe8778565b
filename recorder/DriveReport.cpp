#include "recorder/DriveReport.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Trace.h"
#include "resources/RecorderTexts.h"

namespace quillstar {

namespace {

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return home;
    const passwd* user = getpwuid(getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

}  // namespace

std::string DriveReport::Path()
{
    std::string folder = HomeFolder();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder + recorder::kDriveReportFileName;
}

void DriveReport::AddDrive(const std::string& name)
{
    text_ += name;
    text_ += '\n';
}

bool DriveReport::Write() const
{
    const std::string path = Path();
    const std::string temporary = path + ".new";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        Trace("Drive report %s could not be created: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(text_.data(), 1, text_.size(), file) == text_.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        Trace("Drive report %s could not be written: %s\n", path.c_str(), std::strerror(errno));
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace quillstar
