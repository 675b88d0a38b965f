#pragma once

#include "platform/dao/DBEngine.h"
#include "platform/dao/Error.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// The database engine against real files in a temporary folder. The cases are spread over a
// few source files by theme; this class holds them all so that one program runs them.
class DaoTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Opening (test_dao_open.cpp)
    void openRefusesWhatIsNotOurs_data();
    void openRefusesWhatIsNotOurs();
    void openCompletesTheExtension();
    void openReadsThePasswordFromTheConnectString();
    void createNeverOverwrites();
    void readOnlyOpenRefusesWrites();
    void damagedDataPageIsReported();

    // Tables and fields (test_dao_tables.cpp)
    void tablesAreListedInNameOrder();
    void invalidTableNamesAreRefused_data();
    void invalidTableNamesAreRefused();
    void unusualTableNamesWork_data();
    void unusualTableNamesWork();
    void takenTableNamesAreRefused();
    void fieldTypesReadBack();
    void fieldDefinitionsAreChecked();
    void tableOfAnotherProgramReadsAsMemo();
    void deletingATable();

    // Records (test_dao_records.cpp)
    void textFieldHolds255Characters();
    void recordsKeepStoredOrder();
    void nullsReadBackAsNull();
    void oddTextRoundTrips();
    void deletingMatchesWhileWalking_data();
    void deletingMatchesWhileWalking();
    void noCurrentRecordErrors();
    void deletedRecordStaysCurrent();
    void addNewKeepsTheCurrentRecord();
    void editChangesOnlyTheFieldsSet();
    void closingTwiceRaises();
    void walkingManyRecords();
    void walkSeesWritesOfOthers();

    // Files shared and kept (test_dao_sharing.cpp)
    void writesSurviveAnAbruptEnd();
    void unfinishedTransactionIsRolledBack();
    void transactionGroupsWrites();
    void databaseStaysOneFile();
    void fileIsReleasedWithTheLastUser();
    void writersWaitForEachOther();
    void writerGivesUpAfterTheTimeout();
    void idleRecordsetDoesNotBlockWriters();

private:
    QString path(const QString &name) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QTemporaryDir m_templateDir;
};

namespace daotest {

inline const QString Password = QStringLiteral("9753102468mqzkrt");
inline const QString Connect = QStringLiteral(";Pwd=9753102468mqzkrt");

// The dao error number `step` raises, or 0 when it raises none.
int errorOf(const std::function<void()> &step);
// The message of the error `step` raises, or an empty string.
QString messageOf(const std::function<void()> &step);

std::unique_ptr<dao::Database> open(const QString &path, bool readOnly = false);
// A new empty database with the usual password, copied from one made once per run: every
// write is synced to disk, and most cases need a fresh file rather than a fresh creation.
std::unique_ptr<dao::Database> createDatabase(const QString &path);
void setTemplate(const QString &path);

// A table of the program's layout: Name, Author (Text), Ingredients, Instructions (Memo).
void addRecipeTable(dao::Database &db, const QString &table);
// Makes a database with one recipe table holding these names (other fields null), written in
// one transaction.
void makeRecipes(const QString &path, const QString &table, const QStringList &names);
// Field 0 of every record of the table, in the engine's order (null as "<null>").
QStringList namesOf(const QString &path, const QString &table);
QStringList tableNames(const QString &path);
QByteArray fileBytes(const QString &path);

} // namespace daotest
