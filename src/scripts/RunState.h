#pragma once
// The state of one run of a demonstration file. Every run has its own; a
// nested run (DO) shares only the counters and OutBuffer with its caller.
#include <QByteArray>
#include <QString>

struct RunState {
    QString ScriptName;   // as the caller passed it
    QString ScriptFolder; // ScriptName up to its last "/" or ":", or ""
    bool ScriptMode = true; // script (true) or raw file (false)
    int PacketSize = 20;    // hand OutBuffer over once it holds this many bytes

    QByteArray Line;        // unconsumed rest of the current script line
    QByteArray RepeatText;  // set by RPT
    int RepeatCount = 0;    // replays of RepeatText still owed

    QByteArray Piece;       // bytes produced by the last step
    int PieceLength = 0;    // 0: the step produced nothing to send

    bool ended = false;     // a failed hand-over ends the run
    int depth = 0;          // 0 for a top-level run
};
