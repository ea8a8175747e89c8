#pragma once
// Key-by-key input from the Interactive box: one byte per key.
class Session;

class KeyInput {
public:
    explicit KeyInput(Session &session);
    void Indata_KeyPress(int keyCode);

private:
    Session &m_s;
};
