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

DialogRequest makeRequest(DialogRequest::Kind kind, const QString &text, const QString &title,
                          int flags = 0, const QStringList &choices = {})
{
    DialogRequest request;
    request.kind = kind;
    request.text = text;
    request.title = title.isEmpty() ? QString::fromLatin1(AppTitle) : title;
    request.flags = flags;
    request.choices = choices;
    return request;
}

// A message box with the request's title and its text as plain text.
void setUp(QMessageBox &box, const DialogRequest &request)
{
    box.setWindowTitle(request.title);
    box.setText(request.text);
    box.setTextFormat(Qt::PlainText);
}
} // namespace

void setDialogResponder(DialogResponder r)
{
    responder() = std::move(r);
}

int MsgBox(const QString &text, int flags, const QString &title, QWidget *parent)
{
    const DialogRequest request = makeRequest(DialogRequest::Kind::Message, text, title, flags);
    if (responder())
        return responder()(request).button;

    QMessageBox box(dialogParent(parent));
    setUp(box, request);
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
    const DialogRequest request = makeRequest(DialogRequest::Kind::Input, prompt, title);
    if (responder())
        return responder()(request).text;

    bool ok = false;
    const QString text = QInputDialog::getText(dialogParent(parent), request.title, prompt,
                                               QLineEdit::Normal, QString(), &ok);
    return ok ? text : QString();
}

int Choose(const QString &text, const QStringList &buttons, const QString &title, QWidget *parent)
{
    const DialogRequest request = makeRequest(DialogRequest::Kind::Choice, text, title, 0, buttons);
    if (responder())
        return responder()(request).button;

    QMessageBox box(dialogParent(parent));
    setUp(box, request);
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

} // namespace

QStringList GetOpenFileNames(const QString &title, const QStringList &filters, QWidget *parent)
{
    const DialogRequest request =
        makeRequest(DialogRequest::Kind::OpenFiles, QString(), title, 0, filters);
    if (responder())
        return responder()(request).files;
    return remembered(QFileDialog::getOpenFileNames(
        dialogParent(parent), request.title, lastFolder(), filters.join(QStringLiteral(";;"))));
}

QString GetSaveFileName(const QString &title, const QString &suggested, const QStringList &filters,
                        QWidget *parent)
{
    const DialogRequest request =
        makeRequest(DialogRequest::Kind::SaveFile, suggested, title, 0, filters);
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
