#pragma once

#include "platform/dao/DBEngine.h"
#include "platform/vb/MsgBox.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace kxtest {

// The password every recipe database of the program carries.
inline const QString Password = QStringLiteral("9753102468mqzkrt");
inline const QString Connect = QStringLiteral(";Pwd=") + Password;

// Folder of the test data (tests/data in the source tree).
QString dataDir();
// A file's bytes: empty (not null) for an empty file, null when it cannot be read.
QByteArray fileBytes(const QString &path);
// Writes a whole file; false when it cannot.
bool writeFile(const QString &path, const QByteArray &bytes);
// Runs SQL on the file directly with SQLite (creating it when missing), as another program
// would. Returns SQLite's message, empty on success; the first column of every row it reads
// goes to `values`.
QString execSql(const QString &path, const QByteArray &sql, QStringList *values = nullptr);

// A recipe for makeDatabase: four fields, a null field as an invalid QVariant.
struct Row
{
    QVariant name, author, ingredients, instructions;
};
struct Category
{
    QString name;
    QList<Row> rows;
};

// Makes a recipe database at path with the given categories (tables of four fields), the rows
// in the order given, stored exactly as given (no trimming, no trailing blank added).
void makeDatabase(const QString &path, const QList<Category> &categories,
                  const QString &password = Password);

// Reads a whole category back through the engine: each row as four strings, null as "<null>".
QList<QStringList> readCategory(const QString &path, const QString &category);
// The category names of the file, in the engine's order.
QStringList categories(const QString &path);

// Answers every dialog from a queue of answers and records what was asked. Installed for its
// lifetime; a dialog with no answer queued gets OK / No / "" / Cancel and is recorded all the same.
class DialogRecorder
{
public:
    DialogRecorder();
    ~DialogRecorder();
    DialogRecorder(const DialogRecorder &) = delete;
    DialogRecorder &operator=(const DialogRecorder &) = delete;

    void answer(int button) { m_answers.append({button, QString(), {}}); }
    void answerText(const QString &text) { m_answers.append({vb::vbOK, text, {}}); }
    void answerFiles(const QStringList &files) { m_answers.append({vb::vbOK, QString(), files}); }

    const QList<vb::DialogRequest> &asked() const { return m_asked; }
    QStringList texts() const;
    void clear() { m_asked.clear(); }

private:
    QList<vb::DialogAnswer> m_answers;
    QList<vb::DialogRequest> m_asked;
};

} // namespace kxtest
