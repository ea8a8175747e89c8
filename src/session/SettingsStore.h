#pragma once
// The per-user settings: window position, link variables and the two recent lists.
#include "link/Link.h"

#include <QStringList>

#include <optional>

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

// Where another window sits: left, top, width and height in twips, stored
// beside the main window's position as prefix + "Left", "Top", "Width", "Height".
struct WindowPlace {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowPlace &) const = default;
};

// std::nullopt unless all four keys hold whole numbers, the size positive.
std::optional<WindowPlace> loadPlace(const QString &prefix);
void savePlace(const QString &prefix, const WindowPlace &place);

// A check box kept in the settings, stored as "1" or "0" as the other
// settings are stored: as text. Anything else reads as fallback.
bool loadFlag(const QString &key, bool fallback);
void saveFlag(const QString &key, bool on);
// A choice kept by its name; fallback when the key is missing or empty.
QString loadText(const QString &key, const QString &fallback);
void saveText(const QString &key, const QString &value);

// The network printers (tcp:// names) confirmed in the settings, newest first.
QStringList loadNetPorts();
// A usable tcp:// name goes first (once), and the newest kNetPortKeys stay;
// written at once. Any other name is left alone.
void rememberNetPort(const QString &name);

} // namespace SettingsStore
