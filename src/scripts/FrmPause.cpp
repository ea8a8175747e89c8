#include "scripts/FrmPause.h"

FrmPause::FrmPause(QWidget *parent) : QWidget(parent, Qt::Window) {}
void FrmPause::showPause() {}
void FrmPause::setCount(int) {}
void FrmPause::hidePause() {}
