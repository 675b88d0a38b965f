#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QShortcut;
class QWidget;
class SkinButton;

// The keys of a window's commands. A key bound to a skinned button does exactly what a click on
// it does, and only while the button is visible and enabled; the button's tooltip and its key
// binding for screen readers name the key. One key may serve several buttons (Escape for
// whichever Cancel the mode shows): the first of them, in the order bound, that can be clicked
// is clicked, and none when none can. A key works wherever the focus is in the window, or,
// bound with a scope, only while the focus is in the scope (Delete in the tree, so that Delete
// in a text box keeps deleting text). The buttons' own key handling is left alone: a key press
// on a button never clicks it.
class KeyCommands : public QObject
{
    Q_OBJECT
public:
    explicit KeyCommands(QWidget *window);

    // what: what the command does, for the tooltip ("Add a recipe").
    void bind(const QKeySequence &key, SkinButton *button, const QString &what,
              QWidget *scope = nullptr);
    // A command without a button of its own.
    void bind(const QKeySequence &key, std::function<void()> command, QWidget *scope = nullptr);

private:
    struct Target
    {
        SkinButton *button = nullptr;
        std::function<void()> command;
    };
    QList<Target> &targetsOf(const QKeySequence &key, QWidget *scope);
    static void run(QList<Target> targets); // a copy: a command may bind more keys

    QWidget *m_window;
    // Per key and scope, one shortcut and what it runs.
    QList<std::pair<QShortcut *, QList<Target>>> m_keys;
};
