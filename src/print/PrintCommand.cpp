#include "PrintCommand.h"

#include "PrintDocuments.h"
#include "frmprint.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Strings.h"

#include <QDir>
#include <QSaveFile>

#include <memory>
#include <stdexcept>

namespace {

[[noreturn]] void cannotWrite(const QString &path, const QString &reason)
{
    throw std::runtime_error(QStringLiteral("The file %1 could not be written: %2")
                                 .arg(QDir::toNativeSeparators(path), reason)
                                 .toStdString());
}

// Writes both files so that each is either replaced whole or left as it was: both are written
// beside their targets first and only then put in place, print.txt before print.htm.
void writeDocuments(const QString &folder, const PrintDocuments &documents)
{
    const QDir dir(folder);
    const std::pair<QString, QByteArray> files[] = {
        {dir.filePath(QStringLiteral("print.txt")), documents.text()},
        {dir.filePath(QStringLiteral("print.htm")), documents.page()},
    };
    std::unique_ptr<QSaveFile> saves[std::size(files)];
    for (size_t i = 0; i < std::size(files); ++i) {
        const auto &[path, bytes] = files[i];
        saves[i] = std::make_unique<QSaveFile>(path);
        if (!saves[i]->open(QIODevice::WriteOnly))
            cannotWrite(path, saves[i]->errorString());
        // The bytes are pushed to the disk here, not at commit: a commit whose last write
        // fails (a full disk) would otherwise still put a cut-off file in place.
        if (saves[i]->write(bytes) != bytes.size() || !saves[i]->flush() ||
            saves[i]->error() != QFileDevice::NoError)
            cannotWrite(path, saves[i]->errorString());
    }
    for (size_t i = 0; i < std::size(files); ++i)
        if (!saves[i]->commit())
            cannotWrite(files[i].first, saves[i]->errorString());
}

} // namespace

void RunPrintCommand(const QString &folder, const QString &name, const QString &author,
                     const QString &ingredients, const QString &instructions)
{
    if (name.isEmpty()) {
        vb::MsgBox(QStringLiteral("Please Choose a Recipe"));
        return;
    }
    if (vb::Trim(name).isEmpty() || vb::Trim(ingredients).isEmpty() ||
        vb::Trim(instructions).isEmpty())
        return;

    writeDocuments(folder, PrintDocuments(name, author, ingredients, instructions));

    // A preview that is not loaded loads now and reads the new page; one that is loaded keeps
    // the page it shows and only takes the new caption.
    frmprint *preview = frmprint::Load(folder);
    preview->setWindowTitle(QStringLiteral("Print [ ") + vb::Trim(name) +
                            QStringLiteral(" ] Recipe"));
    preview->setWindowState((preview->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    preview->show();
    preview->raise();
    preview->activateWindow();
}

void UnloadPrintPreview()
{
    frmprint::Unload();
}
