#pragma once
#include "scripts/PauseView.h"

#include <QWidget>

class QLabel;
class QLineEdit;

// "RIZeruzozo Pause": the count of a PAUSE directive.
class FrmPause : public QWidget, public PauseView {
    Q_OBJECT
public:
    explicit FrmPause(QWidget *parent = nullptr);
    void showPause() override;
    void setCount(int seconds) override;
    void hidePause() override;
};
