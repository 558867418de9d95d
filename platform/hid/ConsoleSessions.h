#pragma once
// Who sits at the machine's console: the login sessions of the first seat, as the login manager
// (logind, on the system bus) tells them, and a notice when the seat's active session changes.
// The device registry answers its root's console users and busy notice from here.

#include <QDBusConnection>
#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tallomer {

struct ConsoleSession {
    std::uint32_t userID = 0;
    bool active = false; // the session is the one on the console
};

class ConsoleSessions {
public:
    virtual ~ConsoleSessions() = default;
    // The seat's sessions now; empty when there is no login manager to ask.
    virtual std::vector<ConsoleSession> sessions() = 0;
    // Called from the event loop each time the seat's active session changes; one watcher, a new
    // one replaces it, an empty one ends the watch.
    virtual void watch(std::function<void()> changed) = 0;
};

// logind on `bus` (the system bus in the program). Without logind every answer is empty and the
// watch never fires.
std::unique_ptr<ConsoleSessions> makeLogindConsoleSessions(const QDBusConnection& bus = QDBusConnection::systemBus());

// For tests: sessions set by hand, and the change told when the test says so.
class FakeConsoleSessions final : public ConsoleSessions {
public:
    std::vector<ConsoleSession> sessions() override { return current; }
    void watch(std::function<void()> changed) override { changed_ = std::move(changed); }
    // The active session changed (or was only said to): the watcher is told.
    void change()
    {
        if (auto f = changed_)
            f();
    }
    bool watched() const { return bool(changed_); }

    std::vector<ConsoleSession> current;

private:
    std::function<void()> changed_;
};

} // namespace tallomer
