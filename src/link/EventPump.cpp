#include "link/EventPump.h"

#include <QCoreApplication>
#include <QThread>

void AppEventPump::serveEvents()
{
    QCoreApplication::processEvents();
}

void AppEventPump::sleepMs(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}
