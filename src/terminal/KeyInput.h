#pragma once
// Key-by-key input from the Interactive box: one byte per key, echoed in the display.
#include <QQueue>

class Session;

class KeyInput {
public:
    explicit KeyInput(Session &session);

    // Sends the key's byte (0..255; other codes are ignored) and echoes it.
    // A key that arrives while an earlier one is still being handled (the
    // echo serves events) waits its turn and is handled right after it.
    void Indata_KeyPress(int keyCode);

    // Keys waiting behind the one being handled.
    qsizetype pending() const { return m_pending.size(); }

private:
    void handleKey(quint8 k);

    Session &m_s;
    QQueue<quint8> m_pending;
    bool m_busy = false;
};
