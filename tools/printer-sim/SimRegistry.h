#pragma once
#include <QStringList>
// Slave paths of the printer simulators running for this user.
QStringList runningSimulatorPorts();
