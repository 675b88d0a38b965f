#include "MsgBox.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
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

int Choose(const QString &text, const QStringList &buttons, const QString &title, QWidget *parent)
{
    DialogRequest request;
    request.kind = DialogRequest::Kind::Choice;
    request.text = text;
    request.title = title.isEmpty() ? QString::fromLatin1(AppTitle) : title;
    request.choices = buttons;
    if (responder())
        return responder()(request).button;

    QMessageBox box(dialogParent(parent));
    box.setWindowTitle(request.title);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::Question);
    QList<QAbstractButton *> added;
    for (const QString &caption : buttons)
        added << box.addButton(caption, QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QMessageBox::Cancel);
    if (!added.isEmpty())
        box.setDefaultButton(static_cast<QPushButton *>(added.first()));
    box.setEscapeButton(cancel);
    box.exec();
    return int(added.indexOf(box.clickedButton()));
}

namespace {

DialogRequest fileRequest(DialogRequest::Kind kind, const QString &title, const QString &suggested,
                          const QStringList &filters)
{
    DialogRequest request;
    request.kind = kind;
    request.text = suggested;
    request.title = title.isEmpty() ? QString::fromLatin1(AppTitle) : title;
    request.choices = filters;
    return request;
}

} // namespace

QStringList GetOpenFileNames(const QString &title, const QStringList &filters, QWidget *parent)
{
    const DialogRequest request =
        fileRequest(DialogRequest::Kind::OpenFiles, title, QString(), filters);
    if (responder())
        return responder()(request).files;
    return QFileDialog::getOpenFileNames(dialogParent(parent), request.title, QString(),
                                         filters.join(QStringLiteral(";;")));
}

QString GetSaveFileName(const QString &title, const QString &suggested, const QStringList &filters,
                        QWidget *parent)
{
    const DialogRequest request =
        fileRequest(DialogRequest::Kind::SaveFile, title, suggested, filters);
    if (responder())
        return responder()(request).files.value(0);
    QString chosen = filters.value(0);
    QString file = QFileDialog::getSaveFileName(dialogParent(parent), request.title, suggested,
                                                filters.join(QStringLiteral(";;")), &chosen);
    // "Meal-Master (*.mmf *.txt)": the filter's first pattern gives the suffix.
    const qsizetype star = chosen.indexOf(QStringLiteral("*."));
    if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty() && star >= 0) {
        const QString suffix = chosen.mid(star + 1).section(QLatin1Char(' '), 0, 0);
        file += suffix.section(QLatin1Char(')'), 0, 0);
    }
    return file;
}

} // namespace vb
