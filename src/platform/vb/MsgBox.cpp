#include "MsgBox.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

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

// The folder the file dialogs open in: the one last chosen in this run, at first the home folder.
QString &lastFolder()
{
    static QString folder = QDir::homePath();
    return folder;
}

QStringList remembered(const QStringList &files)
{
    if (!files.isEmpty())
        lastFolder() = QFileInfo(files.first()).absolutePath();
    return files;
}

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
    return remembered(QFileDialog::getOpenFileNames(
        dialogParent(parent), request.title, lastFolder(), filters.join(QStringLiteral(";;"))));
}

QString GetSaveFileName(const QString &title, const QString &suggested, const QStringList &filters,
                        QWidget *parent)
{
    const DialogRequest request =
        fileRequest(DialogRequest::Kind::SaveFile, title, suggested, filters);
    if (responder())
        return responder()(request).files.value(0);
    QString chosen = filters.value(0);
    QString file = QFileDialog::getSaveFileName(dialogParent(parent), request.title,
                                                QDir(lastFolder()).filePath(suggested),
                                                filters.join(QStringLiteral(";;")), &chosen);
    // A name typed without a suffix of the offered types ("St. John's Soup") gets the first of
    // the chosen type: "Meal-Master (*.mmf *.txt)" gives ".mmf".
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    QStringList suffixes;
    for (const QString &filter : filters)
        for (const QRegularExpressionMatch &m : pattern.globalMatch(filter))
            suffixes << m.captured(1).toLower();
    const QString own = pattern.match(chosen).captured(1);
    if (!file.isEmpty() && !own.isEmpty() && !suffixes.contains(QFileInfo(file).suffix().toLower()))
        file += QLatin1Char('.') + own;
    if (!file.isEmpty())
        remembered({file});
    return file;
}

} // namespace vb
