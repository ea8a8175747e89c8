#include "terminal/KeyInput.h"

#include "terminal/Session.h"

KeyInput::KeyInput(Session &session) : m_s(session) {}

void KeyInput::Indata_KeyPress(int) {}
