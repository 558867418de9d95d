#pragma once
// Named pipes that the program must never open. Opened, a pipe holds its reader until a writer
// comes: while this lives, a writer comes to each of them after a delay and the rescue is
// counted, so that a test whose program opened one fails instead of hanging.

#include <QByteArray>
#include <QFile>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace tallomer::test {

class PipeRescue {
public:
    explicit PipeRescue(const QStringList& pipes, std::chrono::milliseconds after = std::chrono::seconds(10))
    {
        for (const QString& pipe : pipes)
            pipes_.push_back(QFile::encodeName(pipe));
        watchdog_ = std::thread([this, after] {
            std::unique_lock<std::mutex> lock(m_);
            if (cv_.wait_for(lock, after, [this] { return done_; }))
                return;
            while (!cv_.wait_for(lock, std::chrono::milliseconds(20), [this] { return done_; }))
                for (const QByteArray& pipe : pipes_)
                    if (const int fd = ::open(pipe.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0) {
                        rescued_ = true;
                        ::close(fd);
                    }
        });
    }
    ~PipeRescue() { stop(); }
    PipeRescue(const PipeRescue&) = delete;
    PipeRescue& operator=(const PipeRescue&) = delete;

    // Ends the watch; whether a pipe had been opened and needed its writer.
    bool stop()
    {
        {
            const std::lock_guard<std::mutex> lock(m_);
            done_ = true;
        }
        cv_.notify_all();
        if (watchdog_.joinable())
            watchdog_.join();
        return rescued_;
    }

private:
    std::vector<QByteArray> pipes_;
    std::mutex m_;
    std::condition_variable cv_;
    bool done_ = false;
    bool rescued_ = false;
    std::thread watchdog_;
};

} // namespace tallomer::test
