#include "TextBox.h"

namespace vb {

LineTextBox::LineTextBox(QWidget *parent) : QLineEdit(parent) {}

QString LineTextBox::Text() const
{
    const QString shown = text();
    return shown == m_shown ? m_text : shown;
}

void LineTextBox::SetText(const QString &text)
{
    m_text = text;
    setText(text);
    m_shown = this->text();
    setCursorPosition(0);
}

MemoTextBox::MemoTextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true); // Tab moves on, as in every other box of the window
}

QString MemoTextBox::Text() const
{
    const QString shown = toPlainText();
    return shown == m_shown ? m_text : shown;
}

void MemoTextBox::SetText(const QString &text)
{
    m_text = text;
    setPlainText(text);
    m_shown = toPlainText();
}

} // namespace vb
