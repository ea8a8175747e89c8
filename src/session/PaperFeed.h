#pragma once
// The paper the Receipt Preview shows: every byte the port took, printed by
// the virtual printer's interpreter. Printing costs far more than sending, so
// the port's write tap only keeps the bytes (take()); they go on paper when
// the program is idle (no byte taken for kQuietMs, then in slices of at most
// kSliceMs, so the window stays responsive), when someone asks for the paper
// (printedPaper(), as the preview does to draw), or, at the latest, when kKeepLimit
// bytes wait: then all of them in one go, since the paper must never lose or
// skip a byte (a command cut short would garble all that follows).
//
// The interpreter is made on first need, not before: a session that never
// looks at the paper pays nothing for it.
#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class ReceiptInterpreter;

class PaperFeed : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kKeepLimit = 4 * 1024 * 1024;
    static constexpr int kQuietMs = 100;
    static constexpr int kSliceMs = 8;

    explicit PaperFeed(QObject *parent = nullptr);
    ~PaperFeed() override;

    // Bytes the port took, in order.
    void take(const QByteArray &bytes);
    // Prints every byte that waits, then gives the paper: everything taken so far.
    ReceiptInterpreter &printedPaper();

    // Called once on the interpreter when it is made (its stored settings).
    void setPrepare(std::function<void(ReceiptInterpreter &)> prepare) { m_prepare = std::move(prepare); }

    // Off, bytes taken are not kept: for a port that prints on paper of its
    // own. What was kept goes on paper first.
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }

    // Bytes taken but not yet on paper.
    qsizetype waiting() const { return m_kept.size() - m_fedTo; }
    // Whether the interpreter has been made.
    bool started() const { return m_paper != nullptr; }

signals:
    // Bytes went on paper while idle (one signal a slice).
    void fedWhileIdle();

private:
    void idleTick();
    void feed(qsizetype bytes);
    ReceiptInterpreter &interpreter();

    std::unique_ptr<ReceiptInterpreter> m_paper;
    std::function<void(ReceiptInterpreter &)> m_prepare;
    QByteArray m_kept;
    qsizetype m_fedTo = 0; // m_kept before this is on paper
    bool m_enabled = true;
    bool m_takenSinceTick = false;
    QTimer m_idle;
};
