#include "DaoTest.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace daotest {

namespace {
QString g_template;
}

void setTemplate(const QString &path)
{
    g_template = path;
}

std::unique_ptr<dao::Database> createDatabase(const QString &path)
{
    if (!QFile::copy(g_template, path))
        throw dao::Error(dao::errCannotOpenFile, QStringLiteral("cannot copy the template"));
    return open(path);
}

int errorOf(const std::function<void()> &step)
{
    try {
        step();
    } catch (const dao::Error &e) {
        return e.number();
    }
    return 0;
}

QString messageOf(const std::function<void()> &step)
{
    try {
        step();
    } catch (const dao::Error &e) {
        return e.message();
    }
    return QString();
}

std::unique_ptr<dao::Database> open(const QString &path, bool readOnly)
{
    return dao::DBEngine::OpenDatabase(path, false, readOnly, Connect);
}

void addRecipeTable(dao::Database &db, const QString &table)
{
    dao::TableDef def = db.CreateTableDef(table);
    def.Fields().Append(def.CreateField(QStringLiteral("Name"), dao::dbText));
    def.Fields().Append(def.CreateField(QStringLiteral("Author"), dao::dbText));
    def.Fields().Append(def.CreateField(QStringLiteral("Ingredients"), dao::dbMemo));
    def.Fields().Append(def.CreateField(QStringLiteral("Instructions"), dao::dbMemo));
    db.TableDefs().Append(def);
}

void makeRecipes(const QString &path, const QString &table, const QStringList &names)
{
    // A new file with the same content as one made before in this run is a copy of it.
    const bool fresh = !QFile::exists(path);
    const QByteArray key =
        QCryptographicHash::hash((table + names.join(QChar(0))).toUtf8(), QCryptographicHash::Sha1)
            .toHex();
    const QString made = QFileInfo(g_template).dir().filePath(QString::fromLatin1(key));
    if (fresh && QFile::copy(made, path))
        return;

    auto db = fresh ? createDatabase(path) : open(path);
    db->BeginTrans();
    addRecipeTable(*db, table);
    auto rs = db->OpenRecordset(table);
    for (const QString &name : names) {
        rs->AddNew();
        rs->Fields(0).setValue(name);
        rs->Update();
    }
    db->CommitTrans();
    db->Close();
    if (fresh)
        QFile::copy(path, made);
}

QStringList namesOf(const QString &path, const QString &table)
{
    auto db = open(path, true);
    auto rs = db->OpenRecordset(table);
    QStringList names;
    for (; !rs->IsEOF(); rs->MoveNext()) {
        const QVariant v = rs->Fields(0).Value();
        names.append(v.isValid() ? v.toString() : QStringLiteral("<null>"));
    }
    db->Close();
    return names;
}

QStringList tableNames(const QString &path)
{
    auto db = open(path, true);
    QStringList names;
    for (const dao::TableDef &def : db->TableDefs())
        names.append(def.Name());
    db->Close();
    return names;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace daotest

void DaoTest::initTestCase()
{
    QVERIFY(m_templateDir.isValid());
    const QString file = m_templateDir.filePath(QStringLiteral("Template.mdb"));
    dao::DBEngine::CreateDatabase(file, daotest::Password)->Close();
    daotest::setTemplate(file);
}

void DaoTest::init()
{
    dao::DBEngine::SetLockTimeout(5000);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void DaoTest::cleanup()
{
    m_dir.reset();
}

QString DaoTest::path(const QString &name) const
{
    return m_dir->filePath(name);
}

QTEST_GUILESS_MAIN(DaoTest)
