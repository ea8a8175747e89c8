#include "session/SettingsStore.h"

#include "link/PortNames.h"

#include <QSettings>

namespace SettingsStore {
namespace {

QSettings openStore()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Marlix Terminal"),
                     QStringLiteral("Marlix Terminal"));
}

// A stored value that is not a whole number falls back to the default.
int toInt(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

QStringList loadList(QSettings &s, const QString &prefix, int keys = kListKeys)
{
    QStringList list;
    for (int i = 0; i < keys; ++i) {
        const QString entry = s.value(listKey(prefix, i), QString()).toString();
        if (!entry.isEmpty())
            list << entry;
    }
    return list;
}

void saveList(QSettings &s, const QString &prefix, const QStringList &list)
{
    for (int i = 0; i < kListKeys && i < list.size(); ++i)
        s.setValue(listKey(prefix, i), list.at(i));
}

} // namespace

QString listKey(const QString &prefix, int index)
{
    return prefix + QChar(u'A' + index);
}

Stored load()
{
    QSettings s = openStore();
    s.beginGroup(QStringLiteral("Settings"));
    Stored st;
    st.mainLeft = toInt(s.value(QStringLiteral("MainLeft"), QStringLiteral("100")).toString(), 100);
    st.mainTop = toInt(s.value(QStringLiteral("MainTop"), QStringLiteral("100")).toString(), 100);
    st.link.CommPort = s.value(QStringLiteral("IOPort"), QStringLiteral("None")).toString();
    st.link.CommBaud = s.value(QStringLiteral("BaudRate"), QStringLiteral("19200")).toString();
    st.link.CommParity = s.value(QStringLiteral("Parity"), QStringLiteral("N")).toString();
    st.link.CommDataBits = s.value(QStringLiteral("Bits"), QStringLiteral("8")).toString();
    st.link.CommStopBits = s.value(QStringLiteral("StopBits"), QStringLiteral("1")).toString();
    const int flow = toInt(s.value(QStringLiteral("Flow"), QStringLiteral("2")).toString(), 2);
    st.link.CommFlow = (flow >= -32768 && flow <= 32767) ? qint16(flow) : qint16(2);
    st.commands = loadList(s, QStringLiteral("Commands"));
    st.scripts = loadList(s, QStringLiteral("Scripts"));
    return st;
}

void save(int mainLeft, int mainTop, const LinkVariables &link, const QStringList &commands,
          const QStringList &scripts)
{
    QSettings s = openStore();
    s.beginGroup(QStringLiteral("Settings"));
    s.setValue(QStringLiteral("MainLeft"), QString::number(mainLeft));
    s.setValue(QStringLiteral("MainTop"), QString::number(mainTop));
    s.setValue(QStringLiteral("IOPort"), link.CommPort);
    s.setValue(QStringLiteral("BaudRate"), link.CommBaud);
    s.setValue(QStringLiteral("Parity"), link.CommParity);
    s.setValue(QStringLiteral("Bits"), link.CommDataBits);
    s.setValue(QStringLiteral("StopBits"), link.CommStopBits);
    s.setValue(QStringLiteral("Flow"), QString::number(link.CommFlow));
    saveList(s, QStringLiteral("Commands"), commands);
    saveList(s, QStringLiteral("Scripts"), scripts);
    s.sync();
}

std::optional<WindowPlace> loadPlace(const QString &prefix)
{
    QSettings s = openStore();
    s.beginGroup(QStringLiteral("Settings"));
    int values[4];
    const char *const names[4] = {"Left", "Top", "Width", "Height"};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = s.value(prefix + QLatin1String(names[i])).toString().trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (values[2] <= 0 || values[3] <= 0)
        return std::nullopt;
    return WindowPlace{values[0], values[1], values[2], values[3]};
}

void savePlace(const QString &prefix, const WindowPlace &place)
{
    QSettings s = openStore();
    s.beginGroup(QStringLiteral("Settings"));
    s.setValue(prefix + QStringLiteral("Left"), QString::number(place.left));
    s.setValue(prefix + QStringLiteral("Top"), QString::number(place.top));
    s.setValue(prefix + QStringLiteral("Width"), QString::number(place.width));
    s.setValue(prefix + QStringLiteral("Height"), QString::number(place.height));
}

bool loadFlag(const QString &key, bool fallback)
{
    QSettings s = openStore();
    s.beginGroup(QStringLiteral("Settings"));
    const QString text = s.value(key).toString().trimmed();
    return text == QLatin1String("1") ? true : text == QLatin1String("0") ? false : fallback;
}

void saveFlag(const QString &key, bool on)
{
    QSettings s = openStore();
    s.beginGroup(QStringLiteral("Settings"));
    s.setValue(key, on ? QStringLiteral("1") : QStringLiteral("0"));
}

QString loadText(const QString &key, const QString &fallback)
{
    QSettings s = openStore();
    s.beginGroup(QStringLiteral("Settings"));
    const QString text = s.value(key).toString().trimmed();
    return text.isEmpty() ? fallback : text;
}

void saveText(const QString &key, const QString &value)
{
    QSettings s = openStore();
    s.beginGroup(QStringLiteral("Settings"));
    s.setValue(key, value);
}

QStringList loadNetPorts()
{
    QSettings s = openStore();
    s.beginGroup(QStringLiteral("Settings"));
    return loadList(s, QStringLiteral("NetPort"), kNetPortKeys);
}

void rememberNetPort(const QString &name)
{
    const QString entry = entryName(name);
    const PortTarget target = resolvePortName(entry);
    if (target.kind != LinkKind::Network || !target.problem.isEmpty())
        return;
    QSettings s = openStore();
    s.beginGroup(QStringLiteral("Settings"));
    QStringList list = loadList(s, QStringLiteral("NetPort"), kNetPortKeys);
    list.removeAll(entry);
    list.prepend(entry);
    for (int i = 0; i < kNetPortKeys; ++i) {
        if (i < list.size())
            s.setValue(listKey(QStringLiteral("NetPort"), i), list.at(i));
        else
            s.remove(listKey(QStringLiteral("NetPort"), i));
    }
    s.sync();
}

} // namespace SettingsStore
