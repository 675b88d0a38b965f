#include "DaoTest.h"

#include <QFile>
#include <QTest>

namespace daotest {

namespace {
QString g_template;
}

dao::Error failure(const std::function<void()> &step)
{
    try {
        step();
    } catch (const dao::Error &e) {
        return e;
    }
    return dao::Error(0, QString());
}

std::unique_ptr<dao::Database> open(const QString &path, bool readOnly)
{
    return dao::DBEngine::OpenDatabase(path, false, readOnly, Connect);
}

std::unique_ptr<dao::Database> createDatabase(const QString &path)
{
    if (!QFile::copy(g_template, path))
        throw dao::Error(dao::errCannotOpenFile, QStringLiteral("cannot copy the template"));
    return open(path);
}

void addRecipeTable(dao::Database &db, const QString &table)
{
    dao::TableDef def = db.CreateTableDef(table);
    for (const char *name : {"Name", "Author", "Ingredients", "Instructions"})
        def.Fields().Append(def.CreateField(QString::fromLatin1(name),
                                            def.Fields().Count() < 2 ? dao::dbText : dao::dbMemo));
    db.TableDefs().Append(def);
}

void addRecord(dao::Recordset &rs, const QVariantList &values)
{
    rs.AddNew();
    for (int i = 0; i < values.size(); ++i)
        rs.Fields(i).setValue(values[i]);
    rs.Update();
}

void makeRecipes(const QString &path, const QString &table, const QStringList &names)
{
    auto db = QFile::exists(path) ? open(path) : createDatabase(path);
    db->BeginTrans();
    addRecipeTable(*db, table);
    auto rs = db->OpenRecordset(table);
    for (const QString &name : names)
        addRecord(*rs, {name});
    db->CommitTrans();
    db->Close();
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
    return names;
}

QStringList tableNames(const QString &path)
{
    auto db = open(path, true);
    QStringList names;
    for (const dao::TableDef &def : db->TableDefs())
        names.append(def.Name());
    return names;
}

QStringList list(const char *names)
{
    return QString::fromUtf8(names).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace daotest

void DaoTest::initTestCase()
{
    QVERIFY(m_templateDir.isValid());
    daotest::g_template = m_templateDir.filePath(QStringLiteral("Template.mdb"));
    dao::DBEngine::CreateDatabase(daotest::g_template, daotest::Password)->Close();
}

void DaoTest::init()
{
    dao::DBEngine::SetLockTimeout(5000);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString DaoTest::path(const QString &name) const
{
    return m_dir->filePath(name);
}

QTEST_GUILESS_MAIN(DaoTest)
