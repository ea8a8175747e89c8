#pragma once
// The two ways long operations share the one thread with the window: serve
// pending events once, or block for a fixed time. Tests count the calls.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void serveEvents() = 0;
    virtual void sleepMs(int ms) = 0;
};

// Production pump: QCoreApplication::processEvents and QThread::msleep.
class AppEventPump final : public EventPump {
public:
    void serveEvents() override;
    void sleepMs(int ms) override;
};
