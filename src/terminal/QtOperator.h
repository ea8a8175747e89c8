#pragma once
// Production answers to the core's questions: QMessageBox and QFileDialog.
#include "link/Operator.h"

#include <QtGlobal>

class QWidget;

class QtOperator final : public Operator {
public:
    explicit QtOperator(QWidget *owner = nullptr) : m_owner(owner) {}

    Msg::Answer message(const QString &text, Msg::Buttons buttons, Msg::Icon icon,
                        const QString &caption) override;
    // Modal to the owner's window alone: the Receipt Preview and its printer panel stay usable.
    Msg::Answer printerMessage(const QString &text, Msg::Buttons buttons) override;
    std::optional<FileChoice> openFile(const FileDialogRequest &request) override;

    // "Desc|*.a;*.b|All|*.*" as stored by the program, turned into Qt's filter list.
    static QStringList toQtFilters(const QString &filter);

private:
    Msg::Answer ask(const QString &text, Msg::Buttons buttons, Msg::Icon icon, const QString &caption,
                    Qt::WindowModality modality);

    QWidget *m_owner;
};
