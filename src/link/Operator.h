#pragma once
// Questions to the operator: modal messages and the open-file dialog. The
// core never shows a widget itself; production answers with QMessageBox and
// QFileDialog, tests with queued answers.
#include <QString>
#include <optional>

namespace Msg {
enum class Buttons { Ok, OkCancel, RetryCancel, YesNoCancel };
enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Answer { Ok, Cancel, Retry, Yes, No };
}

// Caption of messages that name no caption of their own.
inline const QString kAppTitle = QStringLiteral("Marlix Terminal");

struct FileDialogRequest {
    QString title;
    QString filter;          // "Description|*.a;*.b|Other|*.*" pairs, as stored
    QString defaultExtension; // without the dot, "" for none
    bool mustExist = true;    // false: a new file name is accepted
    QString startFile;        // a file to start beside (and select); "" for the dialog's own choice
    bool saving = false;      // a file to write: the dialog says Save, and the caller asks before replacing
};

struct FileChoice {
    QString fileName;  // full path
    QString fileTitle; // name without the folder
};

class Operator {
public:
    virtual ~Operator() = default;
    virtual Msg::Answer message(const QString &text, Msg::Buttons buttons = Msg::Buttons::Ok,
                                Msg::Icon icon = Msg::Icon::None,
                                const QString &caption = kAppTitle) = 0;
    // A message about a printer that takes nothing: the operator may have to
    // put the printer right first (the built-in printer's panel) before
    // answering, so production blocks the main window only. Otherwise as message().
    virtual Msg::Answer printerMessage(const QString &text, Msg::Buttons buttons)
    {
        return message(text, buttons);
    }
    // std::nullopt when the operator cancelled.
    virtual std::optional<FileChoice> openFile(const FileDialogRequest &request) = 0;
};
