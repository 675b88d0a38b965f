#include "SkinButtonAccessible.h"

#include "xpcmdbutton.h"
#include "xptopbuttons.h"

namespace {

// "&Add" reads as "Add", "Salt && Pepper" as "Salt & Pepper".
QString withoutAccessMarks(const QString &caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&' && i + 1 < caption.size())
            ++i;
        out.append(caption.at(i));
    }
    return out;
}

QString titleButtonName(int buttonIndex)
{
    switch (buttonIndex) {
    case 1:
        return QStringLiteral("Maximize");
    case 2:
        return QStringLiteral("Minimize");
    case 3:
        return QStringLiteral("Restore");
    default:
        return QStringLiteral("Close");
    }
}

QAccessibleInterface *skinButtonFactory(const QString &, QObject *object)
{
    if (qobject_cast<xpcmdbutton *>(object) || qobject_cast<xptopbuttons *>(object))
        return new SkinButtonAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

SkinButtonAccessible::SkinButtonAccessible(QWidget *widget)
    : QAccessibleWidget(widget, QAccessible::Button)
{
}

QString SkinButtonAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !widget()->accessibleName().isEmpty())
        return QAccessibleWidget::text(t);
    if (const auto *button = qobject_cast<const xpcmdbutton *>(widget()))
        return withoutAccessMarks(button->Caption());
    if (const auto *button = qobject_cast<const xptopbuttons *>(widget()))
        return titleButtonName(button->ButtonIndex());
    return QAccessibleWidget::text(t);
}

QStringList SkinButtonAccessible::actionNames() const
{
    return QStringList(pressAction()) + QAccessibleWidget::actionNames();
}

void SkinButtonAccessible::doAction(const QString &actionName)
{
    if (actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    if (!widget()->isEnabled())
        return;
    if (auto *button = qobject_cast<xpcmdbutton *>(widget()))
        emit button->Click();
    else if (auto *button = qobject_cast<xptopbuttons *>(widget()))
        emit button->Click();
}

QStringList SkinButtonAccessible::keyBindingsForAction(const QString &actionName) const
{
    const QKeySequence key = static_cast<const SkinButton *>(widget())->keyBinding();
    if (actionName != pressAction() || key.isEmpty())
        return QAccessibleWidget::keyBindingsForAction(actionName);
    return QStringList(key.toString(QKeySequence::NativeText)) +
           QAccessibleWidget::keyBindingsForAction(actionName);
}

void SkinButtonAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(skinButtonFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
