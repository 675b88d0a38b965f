#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace vb {

// Button and icon flags, with the values Visual Basic programmers know.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbYesNo = 4,
    vbCritical = 16,
    vbInformation = 64,
    vbDefaultButton2 = 256,
};

enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbYes = 6,
    vbNo = 7,
};

// The application title a message shows when it has no title of its own.
inline constexpr const char *AppTitle = "Kitchenex";

// One dialog as the program asked for it. Tests see every dialog through a responder.
struct DialogRequest
{
    enum class Kind { Message, Input };
    Kind kind = Kind::Message;
    QString text;   // the message, or the input box's prompt
    QString title;  // as shown: the application title when none was given
    int flags = 0;  // MsgBoxStyle values
};

// What a responder gives back: for a message the button (MsgBoxResult), for an input box the
// text typed ("" stands for Cancel).
struct DialogAnswer
{
    int button = vbOK;
    QString text;
};

using DialogResponder = std::function<DialogAnswer(const DialogRequest &)>;

// Installs a responder that answers every dialog instead of a person (tests only); an empty
// function restores the real dialogs.
void setDialogResponder(DialogResponder responder);

// A modal message box. Yes/No questions answer No to Enter when vbDefaultButton2 is given.
int MsgBox(const QString &text, int flags = vbOKOnly, const QString &title = QString(),
           QWidget *parent = nullptr);

// A modal input box with OK and Cancel; returns the typed text, "" on Cancel.
QString InputBox(const QString &prompt, const QString &title = QString(),
                 QWidget *parent = nullptr);

} // namespace vb
