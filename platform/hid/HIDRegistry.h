#pragma once
// The device registry the remote-control driver talks to: services (input devices) with
// properties, a device opened with or without seizing it, its button elements, a queue of their
// value changes with a callout, first-match and termination notices, and the registry root with
// its busy notice. EvdevRegistry answers it on Linux; tests give their own.
//
// Every call runs on the main thread; callouts and notices arrive from its event loop, never
// inside the call that arms them.

#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tallomer {

using IOReturn = std::int32_t;
inline constexpr IOReturn kIOReturnSuccess = 0;
inline constexpr IOReturn kIOReturnError = IOReturn(0xE00002BC);
inline constexpr IOReturn kIOReturnExclusiveAccess = IOReturn(0xE00002C5);
inline constexpr IOReturn kIOReturnNoDevice = IOReturn(0xE00002C0);
// The message of a service that went away.
inline constexpr std::uint32_t kIOMessageServiceIsTerminated = 0xE0000010;
// The registry root's busy notice: the console's state may have changed.
inline constexpr std::uint32_t kIOMessageServiceBusyStateChange = 0xE0000120;

// A device of the registry; 0 is none.
using HIDService = std::uint32_t;

struct HIDElement {
    std::uint32_t cookie = 0;
    std::uint32_t usagePage = 0;
    std::uint32_t usage = 0;
};

struct HIDValueEvent {
    std::uint32_t cookie = 0;
    std::int32_t value = 0;
};

// A registration; destroying it unregisters.
class HIDNotification {
public:
    virtual ~HIDNotification() = default;
};

class HIDQueue {
public:
    virtual ~HIDQueue() = default;
    virtual IOReturn create(int depth) = 0;
    virtual void addElement(std::uint32_t cookie) = 0;
    virtual void removeElement(std::uint32_t cookie) = 0;
    virtual bool hasElement(std::uint32_t cookie) const = 0;
    virtual IOReturn createEventSource() = 0;
    // Called from the event loop when events wait; the driver then takes them with nextEvent.
    virtual IOReturn setEventCallout(std::function<void(IOReturn result)> callout) = 0;
    virtual IOReturn start() = 0;
    virtual void stop() = 0;
    // No callout comes after this.
    virtual void dispose() = 0;
    // The oldest waiting event; false when none waits.
    virtual bool nextEvent(HIDValueEvent& event) = 0;
};

// One opened device (its plug-in and device interface); destroying it destroys the plug-in.
class HIDDevice {
public:
    virtual ~HIDDevice() = default;
    virtual IOReturn queryInterface() = 0;
    virtual IOReturn open(bool seize) = 0;
    virtual void close() = 0;
    virtual IOReturn copyElements(std::vector<HIDElement>& elements) = 0;
    // nullptr when no queue can be had.
    virtual std::unique_ptr<HIDQueue> allocQueue() = 0;
};

class HIDRegistry {
public:
    virtual ~HIDRegistry() = default;

    // A property of a service; an invalid variant when it has none.
    virtual QVariant property(HIDService service, const QString& key) = 0;
    virtual IOReturn setProperty(HIDService service, const QString& key, const QVariant& value) = 0;
    virtual bool hasServiceOfClass(const QString& ioClass) = 0;
    // The system version the driver's compatibility rules read ('sysv'); 0 when there is none.
    virtual std::uint32_t systemVersion() = 0;

    // The input devices present now.
    virtual std::vector<HIDService> services() = 0;
    // Devices that appear later, each once.
    virtual std::unique_ptr<HIDNotification> addMatching(std::function<void(HIDService)> matched,
                                                         IOReturn& result) = 0;
    // Messages about one service (kIOMessageServiceIsTerminated when it goes).
    virtual std::unique_ptr<HIDNotification> addInterest(HIDService service,
                                                         std::function<void(std::uint32_t message)> notice,
                                                         IOReturn& result) = 0;
    // A property of the registry root; an invalid variant when it has none. "IOConsoleUsers": a
    // list of dictionaries, one per login session of the console, with "kCGSSessionUserIDKey"
    // (the user id) and "kCGSSessionOnConsoleKey" (whether it is the active one).
    virtual QVariant rootProperty(const QString& key) = 0;
    // The registry root's busy notice (kIOMessageServiceBusyStateChange when the console's active
    // session changed).
    virtual std::unique_ptr<HIDNotification> addRootBusyInterest(std::function<void(std::uint32_t message)> notice,
                                                                 IOReturn& result) = 0;
    // The plug-in of a service (the first step of opening it); nullptr with the result on failure.
    virtual std::unique_ptr<HIDDevice> createPlugIn(HIDService service, IOReturn& result) = 0;
};

} // namespace tallomer
