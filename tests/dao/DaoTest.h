#pragma once

#include "TestSupport.h"
#include "platform/dao/DBEngine.h"
#include "platform/dao/Error.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

// The database engine against real files in a temporary folder; the cases are spread over a
// few source files by theme.
class DaoTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    // test_dao_open.cpp
    void openRefusesWhatIsNotOurs_data();
    void openRefusesWhatIsNotOurs();
    void openCompletesTheExtension();
    void passwordInTheConnectString();
    void createNeverOverwrites();

    // test_dao_tables.cpp
    void tablesAreListedInNameOrder();
    void namingTables_data();
    void namingTables();
    void fieldDefinitions();
    void tableOfAnotherProgram();
    void deletingATable();

    // test_dao_records.cpp
    void textFieldHolds255Characters();
    void recordsKeepStoredOrder();
    void nullsAndEdits();
    void noCurrentOrDeletedRecord();
    void walkingManyRecords();

    // test_dao_sharing.cpp
    void databaseStaysOneFile();
    void openRecordsetDoesNotBlockWriters();
    void aReadSeesOneStateUntilItEnds();
    void everyConnectionIsDurable();

private:
    QString path(const QString &name = QStringLiteral("Recipe.mdb")) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QTemporaryDir m_templateDir;
};

namespace daotest {

using kxtest::Connect;
using kxtest::Password;
inline const QString Soups = QStringLiteral("Soups");

// The error `step` raises; number 0 and no message when it raises none.
dao::Error failure(const std::function<void()> &step);
inline int errorOf(const std::function<void()> &step)
{
    return failure(step).number();
}

std::unique_ptr<dao::Database> open(const QString &path, bool readOnly = false);
// A new empty database with the usual password, copied from one made once per run.
std::unique_ptr<dao::Database> createDatabase(const QString &path);
// A table of the program's layout: Name, Author (Text), Ingredients, Instructions (Memo).
void addRecipeTable(dao::Database &db, const QString &table);
void addRecord(dao::Recordset &rs, const QVariantList &values);
// Adds a recipe table holding these names (other fields null), making the file if needed.
void makeRecipes(const QString &path, const QString &table, const QStringList &names);
// Field 0 of every record of the table, in the engine's order (null as "<null>").
QStringList namesOf(const QString &path, const QString &table);
QStringList tableNames(const QString &path);
using kxtest::fileBytes, kxtest::writeFile;
// Runs SQL on the file past the engine, as another program would.
inline void execRaw(const QString &path, const char *sql)
{
    QCOMPARE(kxtest::execSql(path, sql), QString());
}
// "a b c" as a list.
QStringList list(const char *names);

} // namespace daotest
