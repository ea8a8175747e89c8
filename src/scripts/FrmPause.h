#pragma once
#include "scripts/PauseView.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;

// "RIZeruzozo Pause": the seconds left in a PAUSE directive. One instance,
// shown and hidden by each pause, kept hidden in between.
class FrmPause : public QWidget, public PauseView {
    Q_OBJECT
public:
    explicit FrmPause(QWidget *parent = nullptr);
    void showPause() override;
    void setCount(int seconds) override;
    void hidePause() override;

    QLabel *Label1 = nullptr;
    QLineEdit *Time = nullptr;
};

// The pause window as a script sees it, made at the first PAUSE rather than
// at start-up (most sessions never pause), then kept for the next ones.
class PauseOnDemand final : public PauseView {
public:
    explicit PauseOnDemand(QWidget *parent) : m_parent(parent) {}
    ~PauseOnDemand() override { delete m_window; }
    PauseOnDemand(const PauseOnDemand &) = delete;
    PauseOnDemand &operator=(const PauseOnDemand &) = delete;

    void showPause() override { window().showPause(); }
    void setCount(int seconds) override { window().setCount(seconds); }
    void hidePause() override
    {
        if (m_window)
            m_window->hidePause();
    }

private:
    FrmPause &window();

    QWidget *m_parent;
    QPointer<FrmPause> m_window; // a child of m_parent, which may delete it first
};
