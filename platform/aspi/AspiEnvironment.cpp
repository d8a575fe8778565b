#include "platform/aspi/AspiEnvironment.h"

#include <glob.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "platform/Trace.h"
#include "platform/aspi/SgDrive.h"
#include "resources/ImageRecorderTexts.h"

namespace quillstar {

namespace {

std::string EnvironmentText(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A CUE sheet names its image in double quotes and has no way to escape them.
bool IsUsableInCueSheet(const std::string& fileName)
{
    return std::none_of(fileName.begin(), fileName.end(),
                        [](char c) { return c == '"' || std::iscntrl(static_cast<unsigned char>(c)); });
}

std::string Lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Why a path cannot hold images; empty when it can.
std::string ProblemWithImagePath(const std::filesystem::path& path, int& error)
{
    std::error_code ignored;
    const std::string name = path.filename().string();
    error = 0;
    if (name.empty() || std::filesystem::is_directory(path, ignored))
        return "is a folder, not an image file";
    if (Lowercase(path.extension().string()) == ".cue")
        return "must not end in .cue: the CUE sheet is written beside the image";
    if (!IsUsableInCueSheet(name))
        return "the name cannot appear in a CUE sheet (quotes or control characters)";
    const std::string folder = path.parent_path().string();
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        error = errno;
        return "cannot write into " + folder + ": " + std::strerror(error);
    }
    return {};
}

}  // namespace

AspiEnvironment& AspiEnvironment::Instance()
{
    static AspiEnvironment environment;
    return environment;
}

bool AspiEnvironment::SetImageRecorder(const char* path)
{
    std::lock_guard lock(mutex_);
    if (started_)
        return false;
    recorderPath_ = path ? path : "";
    return true;
}

void AspiEnvironment::StartOnce()
{
    // Every command passes here: once started it costs one flag check.
    if (started_.load(std::memory_order_acquire))
        return;
    std::lock_guard lock(mutex_);
    if (!started_.load(std::memory_order_relaxed))
        Start();
}

AspiLayer& AspiEnvironment::Layer()
{
    StartOnce();
    return *layer_;
}

std::vector<AspiEnvironment::SkippedDevice> AspiEnvironment::SkippedDevices()
{
    StartOnce();
    return skipped_;
}

std::vector<std::string> AspiEnvironment::DrivePaths(const char* drivesVariable)
{
    std::vector<std::string> paths;
    if (drivesVariable != nullptr) {
        std::istringstream names(drivesVariable);
        for (std::string name; names >> name;)
            paths.push_back(name);
        return paths;
    }
    glob_t found{};
    if (glob(aspi::kDefaultDrivePattern, 0, nullptr, &found) == 0) {
        for (size_t i = 0; i < found.gl_pathc; ++i)
            paths.emplace_back(found.gl_pathv[i]);
    }
    globfree(&found);
    // /dev/sr10 after /dev/sr9.
    std::stable_sort(paths.begin(), paths.end(),
                     [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    return paths;
}

std::unique_ptr<ImageRecorder> AspiEnvironment::CreateImageRecorder(const std::string& path,
                                                                    const std::string& optionsText,
                                                                    SkippedDevice& skipped)
{
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    skipped = {path, 0, ""};
    skipped.reason = ProblemWithImagePath(absolute, skipped.error);
    if (!skipped.reason.empty())
        return nullptr;
    std::string optionError;
    const auto options = ImageRecorderOptions::Parse(optionsText, optionError);
    if (!options) {
        skipped.error = EINVAL;
        skipped.reason = std::string(aspi::kImageRecorderOptionsVariable) + ": " + optionError;
        return nullptr;
    }
    return std::make_unique<ImageRecorder>(absolute.string(), *options);
}

void AspiEnvironment::Start()
{
    std::vector<AspiLayer::Adapter> adapters;

    AspiLayer::Adapter drives{aspi::kDriveAdapterName, {}};
    for (const std::string& path : DrivePaths(std::getenv(aspi::kDrivesVariable))) {
        SkippedDevice skipped{path, 0, ""};
        if (auto drive = SgDrive::Open(path, skipped.error, skipped.reason)) {
            Trace("ASPI: drive %s is target %zu\n", path.c_str(), drives.targets.size());
            drives.targets.push_back(std::move(drive));
        } else {
            Trace("ASPI: drive %s left out: %s\n", path.c_str(), skipped.reason.c_str());
            skipped_.push_back(skipped);
        }
    }
    if (!drives.targets.empty())
        adapters.push_back(std::move(drives));

    const std::string recorderPath = recorderPath_ ? *recorderPath_ : EnvironmentText(aspi::kImageRecorderVariable);
    if (!recorderPath.empty()) {
        SkippedDevice skipped;
        auto recorder =
            CreateImageRecorder(recorderPath, EnvironmentText(aspi::kImageRecorderOptionsVariable), skipped);
        if (recorder) {
            Trace("ASPI: image recorder writing %s is adapter %zu\n", recorderPath.c_str(), adapters.size());
            AspiLayer::Adapter adapter{aspi::kRecorderAdapterName, {}};
            adapter.targets.push_back(std::move(recorder));
            adapters.push_back(std::move(adapter));
        } else {
            Trace("ASPI: image recorder %s left out: %s\n", recorderPath.c_str(), skipped.reason.c_str());
            skipped_.push_back(skipped);
        }
    }
    layer_ = std::make_unique<AspiLayer>(std::move(adapters));
    started_.store(true, std::memory_order_release);
}

}  // namespace quillstar
