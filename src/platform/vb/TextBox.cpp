#include "TextBox.h"

namespace vb {

LineTextBox::LineTextBox(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this] { m_exact = false; });
}

QString LineTextBox::Text() const
{
    return m_exact ? m_text : text();
}

void LineTextBox::SetText(const QString &text)
{
    m_text = text;
    m_exact = true;
    setText(text);
    setCursorPosition(0);
}

MemoTextBox::MemoTextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true); // Tab moves on, as in every other box of the window
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_setting)
            m_exact = false;
    });
}

QString MemoTextBox::Text() const
{
    return m_exact ? m_text : toPlainText();
}

void MemoTextBox::SetText(const QString &text)
{
    m_setting = true;
    m_text = text;
    m_exact = true;
    setPlainText(text);
    m_setting = false;
}

} // namespace vb
