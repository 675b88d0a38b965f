#pragma once

#include <QString>
#include <QStringList>

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
    enum class Kind { Message, Input, Choice, OpenFiles, SaveFile };
    Kind kind = Kind::Message;
    QString text;   // the message, the input box's prompt, or a file dialog's suggested name
    QString title;  // as shown: the application title when none was given
    int flags = 0;  // MsgBoxStyle values
    QStringList choices; // a choice's buttons; a file dialog's filters
};

// What a responder gives back: for a message the button (MsgBoxResult), for an input box the
// text typed ("" stands for Cancel), for a choice the index of the button (-1 for Cancel), for
// a file dialog the files chosen (none for Cancel).
struct DialogAnswer
{
    int button = vbOK;
    QString text;
    QStringList files;
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

// A modal question whose answers are the buttons given, the first the default; returns the
// index of the button pressed, -1 when the user closes it with Escape.
int Choose(const QString &text, const QStringList &buttons, const QString &title = QString(),
           QWidget *parent = nullptr);

// The file dialogs. filters: "Meal-Master (*.mmf *.txt)" and so on, the first chosen at start.
// Both return nothing on Cancel.
QStringList GetOpenFileNames(const QString &title, const QStringList &filters,
                             QWidget *parent = nullptr);
// suggested: the name (or path) offered; a name typed without a suffix gets the one of the
// filter chosen.
QString GetSaveFileName(const QString &title, const QString &suggested, const QStringList &filters,
                        QWidget *parent = nullptr);

} // namespace vb
