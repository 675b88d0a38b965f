#include "TestSupport.h"

#include "store/RecipeBas.h"

#include <QFile>
#include <QProcessEnvironment>

#include <sqlite3.h>

namespace kxtest {

QString dataDir()
{
    return QProcessEnvironment::systemEnvironment().value(QStringLiteral("KX_TEST_DATA"));
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray bytes = file.readAll();
    return bytes.isNull() ? QByteArray("") : bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QString execSql(const QString &path, const QByteArray &sql, QStringList *values)
{
    sqlite3 *db = nullptr;
    QString message;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) {
        message = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        char *error = nullptr;
        const auto collect = [](void *out, int columns, char **row, char **) {
            if (out && columns > 0)
                static_cast<QStringList *>(out)->append(QString::fromUtf8(row[0]));
            return 0;
        };
        if (sqlite3_exec(db, sql.constData(), collect, values, &error) != SQLITE_OK)
            message = QString::fromUtf8(error ? error : "failed");
        sqlite3_free(error);
    }
    sqlite3_close(db);
    return message;
}

void makeDatabase(const QString &path, const QList<Category> &categories, const QString &password)
{
    auto db = dao::DBEngine::CreateDatabase(path, password);
    // One transaction for the whole file: fixtures need not wait for the disk record by record.
    db->BeginTrans();
    for (const Category &category : categories) {
        RecipeBas::AppendCategoryTable(*db, category.name);
        auto rs = db->OpenRecordset(category.name);
        for (const Row &row : category.rows) {
            rs->AddNew();
            rs->Fields(0).setValue(row.name);
            rs->Fields(1).setValue(row.author);
            rs->Fields(2).setValue(row.ingredients);
            rs->Fields(3).setValue(row.instructions);
            rs->Update();
        }
        rs->Close();
    }
    db->CommitTrans();
    db->Close();
}

QList<QStringList> readCategory(const QString &path, const QString &category)
{
    auto db = dao::DBEngine::OpenDatabase(path, false, true, Connect);
    auto rs = db->OpenRecordset(category);
    QList<QStringList> rows;
    const long count = rs->RecordCount();
    if (count > 0)
        rs->MoveFirst();
    for (long i = 0; i < count; ++i) {
        QStringList row;
        for (int f = 0; f < rs->FieldCount(); ++f) {
            const QVariant v = rs->Fields(f).Value();
            row.append(v.isNull() ? QStringLiteral("<null>") : v.toString());
        }
        rows.append(row);
        rs->MoveNext();
    }
    rs->Close();
    db->Close();
    return rows;
}

QStringList categories(const QString &path)
{
    auto db = dao::DBEngine::OpenDatabase(path, false, true, Connect);
    QStringList names;
    for (const dao::TableDef &def : db->TableDefs())
        names.append(def.Name());
    db->Close();
    return names;
}

DialogRecorder::DialogRecorder()
{
    vb::setDialogResponder([this](const vb::DialogRequest &request) {
        m_asked.append(request);
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        vb::DialogAnswer none;
        none.button = (request.flags & 7) == vb::vbYesNo ? vb::vbNo : vb::vbOK;
        if (request.kind == vb::DialogRequest::Kind::Choice)
            none.button = -1;
        return none;
    });
}

DialogRecorder::~DialogRecorder()
{
    vb::setDialogResponder({});
}

QStringList DialogRecorder::texts() const
{
    QStringList result;
    for (const vb::DialogRequest &request : m_asked)
        result.append(request.text);
    return result;
}

} // namespace kxtest
