#include "KeyCommands.h"

#include "SkinButton.h"

#include <QShortcut>

#include <utility>

KeyCommands::KeyCommands(QWidget *window) : QObject(window), m_window(window) {}

void KeyCommands::bind(const QKeySequence &key, SkinButton *button, const QString &what,
                       QWidget *scope)
{
    button->setKeyBinding(key);
    button->setToolTip(QStringLiteral("%1 (%2)").arg(what, key.toString(QKeySequence::NativeText)));
    targetsOf(key, scope).append(Target{button, {}});
}

void KeyCommands::bind(const QKeySequence &key, std::function<void()> command, QWidget *scope)
{
    targetsOf(key, scope).append(Target{nullptr, std::move(command)});
}

QList<KeyCommands::Target> &KeyCommands::targetsOf(const QKeySequence &key, QWidget *scope)
{
    QWidget *parent = scope ? scope : m_window;
    for (auto &[shortcut, targets] : m_keys) {
        if (shortcut->key() == key && shortcut->parent() == parent)
            return targets;
    }
    // Two shortcuts of one key would be ambiguous, so a key has one that runs all its targets.
    auto *shortcut = new QShortcut(key, parent);
    shortcut->setContext(scope ? Qt::WidgetWithChildrenShortcut : Qt::WindowShortcut);
    shortcut->setAutoRepeat(false); // a held key deletes or adds once
    const qsizetype index = m_keys.size();
    connect(shortcut, &QShortcut::activated, this, [this, index] { run(m_keys[index].second); });
    m_keys.emplaceBack(shortcut, QList<Target>());
    return m_keys.last().second;
}

void KeyCommands::run(QList<Target> targets)
{
    for (const Target &target : std::as_const(targets)) {
        if (!target.button) {
            target.command();
            return;
        }
        if (target.button->isVisible() && target.button->isEnabled()) {
            emit target.button->Click();
            return;
        }
    }
}
