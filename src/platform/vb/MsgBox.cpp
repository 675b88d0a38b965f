#include "MsgBox.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace vb {

namespace {
DialogResponder &responder()
{
    static DialogResponder instance;
    return instance;
}

QWidget *dialogParent(QWidget *parent)
{
    return parent ? parent : QApplication::activeWindow();
}
} // namespace

void setDialogResponder(DialogResponder r)
{
    responder() = std::move(r);
}

int MsgBox(const QString &text, int flags, const QString &title, QWidget *parent)
{
    DialogRequest request;
    request.kind = DialogRequest::Kind::Message;
    request.text = text;
    request.title = title.isEmpty() ? QString::fromLatin1(AppTitle) : title;
    request.flags = flags;
    if (responder())
        return responder()(request).button;

    QMessageBox box(dialogParent(parent));
    box.setWindowTitle(request.title);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    if (flags & vbCritical)
        box.setIcon(QMessageBox::Critical);
    else if (flags & vbInformation)
        box.setIcon(QMessageBox::Information);
    if ((flags & 7) == vbYesNo) {
        QPushButton *yes = box.addButton(QMessageBox::Yes);
        QPushButton *no = box.addButton(QMessageBox::No);
        box.setDefaultButton((flags & vbDefaultButton2) ? no : yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? vbYes : vbNo;
    }
    box.addButton(QMessageBox::Ok);
    box.exec();
    return vbOK;
}

QString InputBox(const QString &prompt, const QString &title, QWidget *parent)
{
    DialogRequest request;
    request.kind = DialogRequest::Kind::Input;
    request.text = prompt;
    request.title = title.isEmpty() ? QString::fromLatin1(AppTitle) : title;
    if (responder())
        return responder()(request).text;

    bool ok = false;
    const QString text = QInputDialog::getText(dialogParent(parent), request.title, prompt,
                                               QLineEdit::Normal, QString(), &ok);
    return ok ? text : QString();
}

} // namespace vb
