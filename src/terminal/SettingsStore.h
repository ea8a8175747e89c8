#pragma once
// The per-user settings: window position, link variables and the two recent lists.
#include "link/Link.h"

#include <QStringList>

namespace SettingsStore {

constexpr int kListKeys = 21; // letters A to U
constexpr int kNetPortKeys = 5; // "NetPortA" to "NetPortE"

struct Stored {
    int mainLeft = 100; // twips
    int mainTop = 100;
    LinkVariables link;
    QStringList commands; // compacted: empty keys skipped
    QStringList scripts;
};

// "Commands" + 'A' + index.
QString listKey(const QString &prefix, int index);

Stored load();
// Writes position, link variables and the first 21 entries of each list.
// Keys at or beyond a list's length keep what they held.
void save(int mainLeft, int mainTop, const LinkVariables &link, const QStringList &commands,
          const QStringList &scripts);

// The network printers (tcp:// names) confirmed in the settings, newest first.
QStringList loadNetPorts();
// A usable tcp:// name goes first (once), and the newest kNetPortKeys stay;
// written at once. Any other name is left alone.
void rememberNetPort(const QString &name);

} // namespace SettingsStore
