#pragma once

#include <QString>
#include <QStringList>

// Running printer simulators announce themselves in a per-user folder,
// $TMPDIR (or /tmp)/marlix-printer-sim-<uid>/, one file per simulator named by
// its pid. The file holds the slave pty path on its first line and, when the
// simulator made one, the path of its link on the second.

// The folder, whether or not it exists.
QString simRegistryDir();

// Slave paths of the simulators that are still running, in pid order. Files
// of simulators that are gone are removed on the way.
QStringList runningSimulatorPorts();

// Used by the simulator itself: announce this process (creating the folder
// with mode 0700), and withdraw the announcement. registerSimulator refuses a
// folder that is not a directory owned by this user.
bool registerSimulator(const QString &slavePath, const QString &linkPath, QString *error);
void unregisterSimulator();
