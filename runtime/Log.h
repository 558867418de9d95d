#pragma once
// The system log: one line per failure, naming the class and the operation.
// By default lines go to stderr and syslog; tests install a MemoryLogSink. Lines may come from any
// thread; they reach the sink one at a time.

#include <cstdarg>
#include <string>
#include <string_view>
#include <vector>

namespace tallomer {

class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void write(std::string_view line) = 0;
};

// Writes to stderr and to syslog(3).
class SystemLogSink final : public LogSink {
public:
    void write(std::string_view line) override;
};

// Keeps every line; for tests.
class MemoryLogSink final : public LogSink {
public:
    void write(std::string_view line) override { lines.emplace_back(line); }
    bool contains(std::string_view fragment) const;
    std::size_t count(std::string_view fragment) const;
    void clear() { lines.clear(); }
    std::vector<std::string> lines;
};

// Installs a sink (non-owning); nullptr restores the system sink. Returns the previous one.
LogSink* setLogSink(LogSink* sink);
LogSink& logSink();

void logLine(std::string_view line);
void logFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logFormatV(const char* format, va_list args);

// Captures the log for the lifetime of the object (tests).
class ScopedLogCapture {
public:
    ScopedLogCapture() : previous_(setLogSink(&sink)) {}
    ~ScopedLogCapture() { setLogSink(previous_); }
    ScopedLogCapture(const ScopedLogCapture&) = delete;
    ScopedLogCapture& operator=(const ScopedLogCapture&) = delete;
    MemoryLogSink sink;

private:
    LogSink* previous_;
};

} // namespace tallomer
