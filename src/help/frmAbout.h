#pragma once
#include <QDialog>

// "About Marlix Terminal".
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
};
