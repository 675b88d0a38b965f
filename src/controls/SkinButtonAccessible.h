#pragma once

#include <QAccessibleWidget>

// How a screen reader sees the skinned buttons: a push button named by its caption (the
// title-bar buttons by what they do: "Close", "Maximize", "Minimize", "Restore") whose press
// action clicks it. The caption label inside a command button is not a child of its own.
class SkinButtonAccessible : public QAccessibleWidget
{
public:
    explicit SkinButtonAccessible(QWidget *widget);

    QString text(QAccessible::Text t) const override;
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    // The press action's key: the one the window gives the button's command, if any.
    QStringList keyBindingsForAction(const QString &actionName) const override;

    // Registers the interface with Qt's accessibility once; every skinned button calls it when
    // it is created.
    static void install();
};
