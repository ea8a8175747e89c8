#pragma once
#include "scripts/PauseView.h"

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
