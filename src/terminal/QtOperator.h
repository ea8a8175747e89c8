#pragma once
// Production answers to the core's questions: QMessageBox and QFileDialog.
#include "link/Operator.h"

class QWidget;

class QtOperator final : public Operator {
public:
    explicit QtOperator(QWidget *owner = nullptr) : m_owner(owner) {}

    Msg::Answer message(const QString &text, Msg::Buttons buttons, Msg::Icon icon,
                        const QString &caption) override;
    std::optional<FileChoice> openFile(const FileDialogRequest &request) override;

    // "Desc|*.a;*.b|All|*.*" as stored by the program, turned into Qt's filter list.
    static QStringList toQtFilters(const QString &filter);

private:
    QWidget *m_owner;
};
