#include "EofPump.h"

#include "decode/WavOutputEmulator.h"
#include "resources/Messages.h"

namespace quillstar::test {
namespace {

constexpr uint32_t kQuit = msg::kUser + 999;

}  // namespace

EofPump::EofPump() : thread_(&EofPump::Run, this) {}

EofPump::~EofPump()
{
    PostMessage(queue_.Handle(), kQuit);
    thread_.join();
}

void EofPump::Run()
{
    for (;;) {
        const auto message = queue_.Take();
        if (!message || message->message == kQuit)
            return;
        if (message->message == msg::WM_PLUGIN_EOF)
            StopAllPlugins();
    }
}

}  // namespace quillstar::test
