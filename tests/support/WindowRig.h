#pragma once
// The main window on the port fake, as the form tests drive it: shown, Auto
// Query off so that every write is the test's own.
#include "support/MacroFakes.h"
#include "terminal/frmTerminal.h"

#include <QCheckBox>

#include <memory>

struct WindowRig {
    ReplyingPrinter port;
    FakeOperator op;
    FakePump pump;
    // Declared last: the window goes before the fakes it holds.
    std::unique_ptr<frmTerminal> window = std::make_unique<frmTerminal>(&port, &op, &pump);

    WindowRig()
    {
        window->AutoQuery->setChecked(false);
        window->show();
    }
};
