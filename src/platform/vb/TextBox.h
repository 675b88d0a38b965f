#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

namespace vb {

// A text box as the recipe routines see it: its text and whether it is locked (read-only).
// The text given to SetText comes back from Text() unchanged, line ends and all, for as long
// as the box shows what SetText showed; so showing a recipe and saving it again stores exactly
// what was stored. Once the box shows anything else, Text() is what it shows, however it got
// there: typing, paste, drag and drop, undo, an input method or a screen reader.
class TextBox
{
public:
    virtual ~TextBox() = default;
    virtual QString Text() const = 0;
    virtual void SetText(const QString &text) = 0;
    virtual bool Locked() const = 0;
    virtual void SetLocked(bool locked) = 0;
    virtual QWidget *widget() = 0;
    void SetFocus() { widget()->setFocus(Qt::OtherFocusReason); }
};

// A one-line box (the recipe name and author).
class LineTextBox : public QLineEdit, public TextBox
{
    Q_OBJECT
public:
    explicit LineTextBox(QWidget *parent = nullptr);
    QString Text() const override;
    void SetText(const QString &text) override;
    bool Locked() const override { return isReadOnly(); }
    void SetLocked(bool locked) override { setReadOnly(locked); }
    QWidget *widget() override { return this; }

private:
    QString m_text;  // as given to SetText
    QString m_shown; // what the box showed for it
};

// A box of several lines with a vertical scroll bar (ingredients and instructions).
class MemoTextBox : public QPlainTextEdit, public TextBox
{
    Q_OBJECT
public:
    explicit MemoTextBox(QWidget *parent = nullptr);
    QString Text() const override;
    void SetText(const QString &text) override;
    bool Locked() const override { return isReadOnly(); }
    void SetLocked(bool locked) override { setReadOnly(locked); }
    QWidget *widget() override { return this; }

private:
    QString m_text;  // as given to SetText
    QString m_shown; // what the box showed for it
};

} // namespace vb
