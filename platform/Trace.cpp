#include "platform/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace quillstar {
namespace {

constexpr size_t kTraceBufferSize = 1024;

TraceSink MakeDefaultSink()
{
    const char* target = std::getenv("QUILLSTAR_TRACE");
    if (target == nullptr || *target == '\0')
        return {};
    if (std::string(target) == "1")
        return [](const std::string& text) { std::fputs(text.c_str(), stderr); };
    const std::string path = target;
    return [path](const std::string& text) {
        if (FILE* file = std::fopen(path.c_str(), "a")) {
            std::fputs(text.c_str(), file);
            std::fclose(file);
        }
    };
}

struct SinkState {
    std::mutex mutex;
    TraceSink defaultSink = MakeDefaultSink();
    TraceSink installed;
};

SinkState& State()
{
    static SinkState state;
    return state;
}

}  // namespace

void Trace(const char* format, ...)
{
    SinkState& state = State();
    std::lock_guard lock(state.mutex);
    const TraceSink& sink = state.installed ? state.installed : state.defaultSink;
    if (!sink)
        return;
    char buffer[kTraceBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    sink(buffer);
}

TraceSink SetTraceSink(TraceSink sink)
{
    SinkState& state = State();
    std::lock_guard lock(state.mutex);
    TraceSink previous = std::move(state.installed);
    state.installed = std::move(sink);
    return previous;
}

}  // namespace quillstar
