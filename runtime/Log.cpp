#include "runtime/Log.h"

#include <cstdio>
#include <mutex>
#include <syslog.h>

namespace tallomer {

namespace {
LogSink* g_sink = nullptr; // non-owning
SystemLogSink& systemSink()
{
    static SystemLogSink sink;
    return sink;
}
} // namespace

void SystemLogSink::write(std::string_view line)
{
    std::fprintf(stderr, "tallomer: %.*s\n", static_cast<int>(line.size()), line.data());
    static bool opened = false;
    if (!opened) {
        openlog("tallomer", LOG_PID, LOG_USER);
        opened = true;
    }
    syslog(LOG_NOTICE, "%.*s", static_cast<int>(line.size()), line.data());
}

bool MemoryLogSink::contains(std::string_view fragment) const { return count(fragment) > 0; }

std::size_t MemoryLogSink::count(std::string_view fragment) const
{
    std::size_t n = 0;
    for (const auto& l : lines)
        if (l.find(fragment) != std::string::npos)
            ++n;
    return n;
}

LogSink* setLogSink(LogSink* sink)
{
    LogSink* previous = g_sink;
    g_sink = sink;
    return previous;
}

LogSink& logSink() { return g_sink ? *g_sink : systemSink(); }

// The store reads large relations on threads of its own, and their failures are logged there.
void logLine(std::string_view line)
{
    static std::mutex m;
    const std::lock_guard<std::mutex> lock(m);
    logSink().write(line);
}

void logFormatV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0)
        return logLine(format);
    std::string text(static_cast<std::size_t>(n), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    logLine(text);
}

void logFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    logFormatV(format, args);
    va_end(args);
}

} // namespace tallomer
