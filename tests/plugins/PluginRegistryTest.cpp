#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "AudioFixtures.h"
#include "TestPluginProtocol.h"
#include "decode/PluginRegistry.h"
#include "decode/WavOutputEmulator.h"
#include "platform/DynamicLibrary.h"
#include "platform/ProgramPath.h"
#include "platform/TraceCapture.h"
#include "resources/Plugins.h"

using namespace quillstar;
using namespace quillstar::test;
namespace fs = std::filesystem;

namespace {

std::string BuiltTestPlugin(const char* fileName)
{
    return ProgramDirectory() + "/" + testplugin::kTestPluginFolder + "/" + fileName;
}

int CountIn(const DynamicLibrary& library, const char* what)
{
    const auto count = library.Resolve<testplugin::CountFunction>(testplugin::kCountFunction);
    return count ? count(what) : -1;
}

bool TraceStartsWith(const TraceCapture& trace, const std::string& start)
{
    const auto texts = trace.Texts();
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& text) { return text.rfind(start, 0) == 0; });
}

}  // namespace

TEST(PluginRegistry, RegistersOnlyModulesThatPlayThroughTheOutputModuleAndQuitsThemWhenItGoes)
{
    // A usable plug-in, one that plays without an output module, a file that
    // is no library, a folder and a library with another kind of name.
    TemporaryFolder folder;
    fs::copy_file(BuiltTestPlugin(testplugin::kPlaysFile), folder.File(testplugin::kPlaysFile));
    fs::copy_file(BuiltTestPlugin(testplugin::kSilentFile), folder.File(testplugin::kSilentFile));
    fs::copy_file(BuiltTestPlugin(testplugin::kPlaysFile), folder.File("libother.so"));
    ASSERT_TRUE(WriteText(folder.File("BrokenDecoder.so"), "not ELF"));
    fs::create_directory(folder.File("FolderDecoder.so"));
    DynamicLibrary plays;
    ASSERT_TRUE(plays.Open(folder.File(testplugin::kPlaysFile)));
    {
        TraceCapture trace;
        PluginRegistry registry;
        registry.Scan(folder.Path());
        ASSERT_EQ(registry.Records().size(), 1u);
        const PluginRecord& record = registry.Records()[0];
        EXPECT_EQ(record.extensions, testplugin::kExtensions);
        EXPECT_EQ(record.fileName, testplugin::kPlaysFile);
        // Their end-of-file notices go to the output module.
        EXPECT_EQ(record.module->hMainWindow, WavOutputEmulator::Instance().NoticeWindow());
        EXPECT_EQ(record.module->hDllInstance, record.library);
        EXPECT_EQ(CountIn(plays, "init"), 1);
        EXPECT_EQ(CountIn(plays, "quit"), 0);
        EXPECT_EQ(WavOutputEmulator::Instance().Module()->hMainWindow, WavOutputEmulator::Instance().NoticeWindow());
        // Initialised, told to quit, and kept loaded.
        DynamicLibrary silent;
        ASSERT_TRUE(silent.Open(folder.File(testplugin::kSilentFile)));
        EXPECT_EQ(CountIn(silent, "init"), 1);
        EXPECT_EQ(CountIn(silent, "quit"), 1);
        EXPECT_TRUE(TraceStartsWith(trace, "ScanDecoderPlugins: cannot load BrokenDecoder.so"));
        EXPECT_FALSE(TraceStartsWith(trace, "ScanDecoderPlugins: cannot load FolderDecoder.so"));
    }
    EXPECT_EQ(CountIn(plays, "quit"), 1);

    PluginRegistry empty;
    empty.Scan("/nonexistent/Decoders");
    EXPECT_TRUE(empty.Records().empty());
}

TEST(PluginRegistry, TheProgramsPluginsComeFromBesideTheProgramNotTheCurrentDirectory)
{
    EXPECT_EQ(DecoderPluginFolder(), ProgramDirectory() + "/Decoders");

    TemporaryFolder elsewhere;
    fs::create_directory(elsewhere.File("Decoders"));
    fs::copy_file(BuiltTestPlugin(testplugin::kPlaysFile), elsewhere.File("Decoders/") + testplugin::kPlaysFile);
    const fs::path before = fs::current_path();
    fs::current_path(elsewhere.Path());
    ScanDecoderPlugins();
    fs::current_path(before);

    const auto& records = PluginRegistry::Process().Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].fileName, plugin::kMpegFileName);
    EXPECT_EQ(records[0].extensions, "MP3;MP2;MPA");
    EXPECT_EQ(records[0].module->IsOurFile("/music/song.mp3"), 0);
}
