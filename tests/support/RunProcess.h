#pragma once
// marlix-run as a test subject: the built program started with QProcess in a
// folder of its own, with a settings store of its own (XDG_CONFIG_HOME), so
// that neither the tests' nor the user's settings reach it.
#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class RunProcess {
public:
    struct Result {
        bool finished = false;
        int status = -1;
        QByteArray out;
        QByteArray err;
    };

    RunProcess();

    // The folder the runner works in; relative file names are found here.
    QString path(const QString &relative = QString()) const;
    // Writes a file in that folder and returns its full name.
    QString write(const QString &relative, const QByteArray &bytes);
    // The runner's settings store, where the window keeps its own.
    QString settingsFile() const;
    // Writes keys of the group "Settings" ("IOPort", "Flow", ...) as the window does.
    void saveSettings(const QList<QPair<QString, QString>> &values);

    // An environment variable for the runs that follow; a null value removes it.
    void setEnv(const QString &name, const QString &value) { m_env.append({name, value}); }

    // Runs to the end (bounded by timeoutMs) and collects what it wrote.
    Result run(const QStringList &arguments, int timeoutMs = 60000);
    // Starts it and leaves it running (signal tests). `inChild` runs in the
    // new process just before the program starts, its standard files set up.
    QProcess &start(const QStringList &arguments, const std::function<void()> &inChild = {});

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QList<QPair<QString, QString>> m_env;
};
