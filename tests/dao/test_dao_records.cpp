#include "DaoTest.h"

#include <QTest>

using namespace daotest;

namespace {

const QString Soups = QStringLiteral("Soups");

QStringList list(const char *names)
{
    return QString::fromUtf8(names).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

void addRecord(dao::Recordset &rs, const QVariantList &values)
{
    rs.AddNew();
    for (int i = 0; i < values.size(); ++i)
        rs.Fields(i).setValue(values[i]);
    rs.Update();
}

// Runs one step the way the program's "ignore errors" stretches do.
void ignoring(const std::function<void()> &step)
{
    try {
        step();
    } catch (const dao::Error &) {
    }
}

} // namespace

void DaoTest::textFieldHolds255Characters()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, {QStringLiteral("first")});
    const QString longest(255, QLatin1Char('a'));
    const QString memo(100000, QLatin1Char('m'));
    {
        auto db = open(file);
        auto rs = db->OpenRecordset(Soups);
        addRecord(*rs, {longest, QVariant(), memo});

        // One field too long and nothing of the record is stored, not even the memo.
        rs->AddNew();
        rs->Fields(0).setValue(QString(256, QLatin1Char('b')));
        rs->Fields(2).setValue(QStringLiteral("memo"));
        const QString message = messageOf([&] { rs->Update(); });
        QVERIFY2(message.contains(QLatin1String("\"Name\"")) && message.contains(Soups),
                 qPrintable(message));
        QCOMPARE(errorOf([&] { rs->Update(); }), int(dao::errFieldTooSmall));
        // Characters are counted as the text's UTF-16 length: an emoji takes two.
        rs->Fields(0).setValue(QStringLiteral("ok"));
        rs->Fields(1).setValue(QString(254, QLatin1Char('c')) + QStringLiteral("🍰"));
        QCOMPARE(errorOf([&] { rs->Update(); }), int(dao::errFieldTooSmall));
        rs->CancelUpdate();
        QCOMPARE(rs->RecordCount(), 2L);

        rs->Edit();
        rs->Fields(0).setValue(QString(300, QLatin1Char('d')));
        rs->Fields(3).setValue(QStringLiteral("changed"));
        QCOMPARE(errorOf([&] { rs->Update(); }), int(dao::errFieldTooSmall));
        rs->CancelUpdate();
    }
    QCOMPARE(namesOf(file, Soups), (QStringList{QStringLiteral("first"), longest}));
    auto db = open(file, true);
    auto rs = db->OpenRecordset(Soups);
    QVERIFY(!rs->Fields(3).Value().isValid());
    rs->MoveNext();
    QCOMPARE(rs->Fields(2).Value().toString(), memo);
}

void DaoTest::recordsKeepStoredOrder()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, list("r1 r2 r3 r4 r5"));
    {
        auto db = open(file);
        auto rs = db->OpenRecordset(Soups);
        rs->MoveNext();
        rs->Delete(); // r2
        rs->MoveNext();
        QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("r3"));
        rs->MoveNext();
        rs->MoveNext();
        rs->Delete(); // r5, the last one, stays current
        addRecord(*rs, {QStringLiteral("r6")});
        // The new record comes after the deleted one, not in its place.
        rs->MoveNext();
        QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("r6"));
        addRecord(*rs, {QStringLiteral("r7")});
    }
    QCOMPARE(namesOf(file, Soups), list("r1 r3 r4 r6 r7"));
    {
        auto db = open(file);
        auto rs = db->OpenRecordset(Soups);
        addRecord(*rs, {QStringLiteral("r0")});
    }
    QCOMPARE(namesOf(file, Soups), list("r1 r3 r4 r6 r7 r0"));
}

void DaoTest::nullsReadBackAsNull()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, {});
    {
        auto db = open(file);
        auto rs = db->OpenRecordset(Soups);
        addRecord(*rs, {QString(QLatin1String("")), QVariant(), QVariant(), QStringLiteral(" ")});
        // Field 2 is never set.
        rs->AddNew();
        rs->Fields(0).setValue(QStringLiteral("second"));
        rs->Update();
    }
    auto db = open(file);
    auto rs = db->OpenRecordset(Soups);
    QVERIFY(rs->Fields(0).Value().isValid());
    QCOMPARE(rs->Fields(0).Value().toString(), QString());
    QVERIFY(!rs->Fields(1).Value().isValid());
    QVERIFY(!rs->Fields(2).Value().isValid());
    QCOMPARE(rs->Fields(3).Value(), QVariant(QStringLiteral(" ")));
    rs->MoveNext();
    QVERIFY(!rs->Fields(2).Value().isValid());

    rs->Edit();
    rs->Fields(0).setValue(QVariant());
    rs->Update();
    db->Close();
    QCOMPARE(namesOf(file, Soups), (QStringList{QString(), QStringLiteral("<null>")}));
}

void DaoTest::oddTextRoundTrips()
{
    QString big;
    big.reserve(1 << 20);
    for (int i = 0; big.size() < (1 << 20); ++i)
        big += QStringLiteral("Line %1: crème, 🍲, tab\t, end\r\n").arg(i);
    const QStringList values = {
        QStringLiteral("a") + QChar(0) + QStringLiteral("b") + QChar(0),
        QStringLiteral("line one\r\nline two\nline three\r\ttabbed"),
        QStringLiteral("🍲👩‍🍳 soup"),
        QStringLiteral("e\u0301te\u0301 cafe\u0301"),
        QStringLiteral("lone ") + QChar(0xdc00) + QStringLiteral(" half"),
        QStringLiteral("  blanks around  "),
        big,
    };
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, {});
    {
        auto db = open(file);
        auto rs = db->OpenRecordset(Soups);
        for (const QString &value : values)
            addRecord(*rs, {value.left(255), QVariant(), value});
    }
    auto db = open(file, true);
    auto rs = db->OpenRecordset(Soups);
    QCOMPARE(rs->RecordCount(), long(values.size()));
    for (const QString &value : values) {
        QCOMPARE(rs->Fields(0).Value().toString(), value.left(255));
        QCOMPARE(rs->Fields(2).Value().toString(), value);
        rs->MoveNext();
    }
    QVERIFY(rs->IsEOF());
}

void DaoTest::deletingMatchesWhileWalking_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("match");
    QTest::addColumn<QStringList>("left");

    QTest::newRow("duplicates") << list("A X X B X") << "X" << list("A B");
    QTest::newRow("last record") << list("A B X") << "X" << list("A B");
    QTest::newRow("first record") << list("X A") << "X" << list("A");
    QTest::newRow("every record") << list("X X X") << "X" << QStringList();
    QTest::newRow("no record") << list("A B") << "X" << list("A B");
    QTest::newRow("letter case counts") << list("x X") << "X" << list("x");
}

void DaoTest::deletingMatchesWhileWalking()
{
    QFETCH(QStringList, names);
    QFETCH(QString, match);
    QFETCH(QStringList, left);
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, names);

    // The program's recipe deletion: the count taken once, every step's error ignored.
    auto db = open(file);
    auto rs = db->OpenRecordset(Soups);
    const long count = rs->RecordCount();
    ignoring([&] { rs->MoveFirst(); });
    for (long i = 1; i <= count; ++i) {
        ignoring([&] {
            if (rs->Fields(0).Value().toString().trimmed() == match)
                rs->Delete();
        });
        ignoring([&] { rs->MoveNext(); });
    }
    QCOMPARE(rs->RecordCount(), long(left.size()));
    db->Close();
    QCOMPARE(namesOf(file, Soups), left);
}

void DaoTest::noCurrentRecordErrors()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, QStringLiteral("Empty"), {});
    makeRecipes(file, Soups, list("a b"));
    auto db = open(file);

    auto empty = db->OpenRecordset(QStringLiteral("Empty"));
    QVERIFY(empty->IsEOF());
    QCOMPARE(empty->RecordCount(), 0L);
    QCOMPARE(errorOf([&] { empty->Fields(0).Value(); }), int(dao::errNoCurrentRecord));
    QCOMPARE(errorOf([&] { empty->MoveFirst(); }), int(dao::errNoCurrentRecord));
    QCOMPARE(errorOf([&] { empty->MoveNext(); }), int(dao::errNoCurrentRecord));
    QCOMPARE(errorOf([&] { empty->Edit(); }), int(dao::errNoCurrentRecord));
    QCOMPARE(errorOf([&] { empty->Delete(); }), int(dao::errNoCurrentRecord));
    QCOMPARE(errorOf([&] { empty->Fields(4); }), int(dao::errItemNotFound));
    QCOMPARE(errorOf([&] { empty->Fields(-1); }), int(dao::errItemNotFound));
    QCOMPARE(errorOf([&] { empty->Fields(0).setValue(QStringLiteral("x")); }),
             int(dao::errUpdateWithoutEdit));
    QCOMPARE(errorOf([&] { empty->Update(); }), int(dao::errUpdateWithoutEdit));
    QCOMPARE(errorOf([&] { empty->CancelUpdate(); }), int(dao::errUpdateWithoutEdit));
    // Adding to an empty table leaves the record set at the end; MoveFirst finds the record.
    addRecord(*empty, {QStringLiteral("new")});
    QVERIFY(empty->IsEOF());
    QCOMPARE(empty->RecordCount(), 1L);
    empty->MoveFirst();
    QCOMPARE(empty->Fields(0).Value().toString(), QStringLiteral("new"));

    auto rs = db->OpenRecordset(Soups);
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("a"));
    rs->MoveNext();
    rs->MoveNext(); // past the last record: no error yet
    QVERIFY(rs->IsEOF());
    QCOMPARE(errorOf([&] { rs->Fields(0).Value(); }), int(dao::errNoCurrentRecord));
    QCOMPARE(errorOf([&] { rs->MoveNext(); }), int(dao::errNoCurrentRecord));
    rs->MoveFirst();
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("a"));
}

void DaoTest::deletedRecordStaysCurrent()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, list("a b c"));
    auto db = open(file);
    auto rs = db->OpenRecordset(Soups);
    rs->MoveNext();
    rs->Delete();
    QVERIFY(!rs->IsEOF());
    QCOMPARE(errorOf([&] { rs->Fields(0).Value(); }), int(dao::errRecordDeleted));
    QCOMPARE(errorOf([&] { rs->Edit(); }), int(dao::errRecordDeleted));
    QCOMPARE(errorOf([&] { rs->Delete(); }), int(dao::errRecordDeleted));
    QCOMPARE(rs->RecordCount(), 2L);
    rs->MoveNext();
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("c"));
    rs->MoveFirst();
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("a"));
}

void DaoTest::addNewKeepsTheCurrentRecord()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, list("a b c"));
    auto db = open(file);
    auto rs = db->OpenRecordset(Soups);
    rs->MoveNext();
    rs->AddNew();
    rs->Fields(0).setValue(QStringLiteral("d"));
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("d")); // the new record's buffer
    QVERIFY(!rs->Fields(1).Value().isValid());
    rs->Update();
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("b"));
    QCOMPARE(rs->RecordCount(), 4L);
    QStringList rest;
    for (rs->MoveNext(); !rs->IsEOF(); rs->MoveNext())
        rest.append(rs->Fields(0).Value().toString());
    QCOMPARE(rest, list("c d"));
}

void DaoTest::editChangesOnlyTheFieldsSet()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    const QString memo(50000, QLatin1Char('i'));
    makeRecipes(file, Soups, {});
    {
        auto db = open(file);
        auto rs = db->OpenRecordset(Soups);
        addRecord(*rs, {QStringLiteral("Pea soup"), QStringLiteral("Ann"), memo,
                        QStringLiteral("Boil.")});
        addRecord(*rs, {QStringLiteral("Leek soup")});
        rs->MoveFirst();
        rs->Edit();
        rs->Fields(1).setValue(QStringLiteral("Bea"));
        QCOMPARE(rs->Fields(1).Value().toString(), QStringLiteral("Bea"));
        QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("Pea soup"));
        rs->Update();
        // Moving away drops an edit that was not saved.
        rs->Edit();
        rs->Fields(0).setValue(QStringLiteral("lost"));
        rs->MoveNext();
        QCOMPARE(errorOf([&] { rs->Update(); }), int(dao::errUpdateWithoutEdit));
    }
    auto db = open(file, true);
    auto rs = db->OpenRecordset(Soups);
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("Pea soup"));
    QCOMPARE(rs->Fields(1).Value().toString(), QStringLiteral("Bea"));
    QCOMPARE(rs->Fields(2).Value().toString(), memo);
    QCOMPARE(rs->Fields(3).Value().toString(), QStringLiteral("Boil."));
    rs->MoveNext();
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("Leek soup"));
}

void DaoTest::closingTwiceRaises()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, list("a b"));
    auto db = open(file);
    auto rs = db->OpenRecordset(Soups);
    rs->Close();
    QCOMPARE(errorOf([&] { rs->Close(); }), int(dao::errObjectClosed));
    QCOMPARE(errorOf([&] { rs->MoveFirst(); }), int(dao::errObjectClosed));
    QCOMPARE(errorOf([&] { rs->Fields(0); }), int(dao::errObjectClosed));

    // Closing the database closes what was opened from it.
    auto other = db->OpenRecordset(Soups);
    db->Close();
    QCOMPARE(errorOf([&] { other->Fields(0).Value(); }), int(dao::errObjectClosed));
    QCOMPARE(errorOf([&] { other->MoveNext(); }), int(dao::errObjectClosed));
    QCOMPARE(errorOf([&] { other->Close(); }), int(dao::errObjectClosed));
    QCOMPARE(errorOf([&] { db->Close(); }), int(dao::errObjectClosed));
    QCOMPARE(errorOf([&] { db->TableDefs(); }), int(dao::errObjectClosed));
    QCOMPARE(errorOf([&] { db->OpenRecordset(Soups); }), int(dao::errObjectClosed));
}

void DaoTest::walkingManyRecords()
{
    // More records than one read-ahead page, with long memos among them.
    const int count = 3000;
    const QString file = path(QStringLiteral("Recipe.mdb"));
    {
        auto db = createDatabase(file);
        db->BeginTrans();
        addRecipeTable(*db, Soups);
        auto rs = db->OpenRecordset(Soups);
        for (int i = 0; i < count; ++i) {
            rs->AddNew();
            rs->Fields(0).setValue(QStringLiteral("n%1").arg(i));
            if (i % 7 == 0)
                rs->Fields(2).setValue(QString(20000, QChar(u'a' + i % 26)));
            rs->Update();
        }
        db->CommitTrans();
        db->Close();
    }
    auto db = open(file, true);
    auto rs = db->OpenRecordset(Soups);
    QCOMPARE(rs->RecordCount(), long(count));
    int i = 0;
    for (; !rs->IsEOF(); rs->MoveNext(), ++i) {
        QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("n%1").arg(i));
        // Now and then a memo as well, which changes what is read ahead.
        if (i % 700 == 0)
            QCOMPARE(rs->Fields(2).Value().toString(), QString(20000, QChar(u'a' + i % 26)));
    }
    QCOMPARE(i, count);
}

void DaoTest::walkSeesWritesOfOthers()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, list("a b c d e"));
    auto db = open(file);
    auto walker = db->OpenRecordset(Soups);
    QCOMPARE(walker->Fields(0).Value().toString(), QStringLiteral("a")); // reads ahead

    // Another connection changes b and deletes c; the same connection deletes e.
    auto other = open(file);
    auto writer = other->OpenRecordset(Soups);
    writer->MoveNext();
    writer->Edit();
    writer->Fields(0).setValue(QStringLiteral("B"));
    writer->Update();
    writer->MoveNext();
    writer->Delete();
    auto sameConnection = db->OpenRecordset(Soups);
    for (int i = 0; i < 3; ++i) // b, d, e: c is gone already
        sameConnection->MoveNext();
    QCOMPARE(sameConnection->Fields(0).Value().toString(), QStringLiteral("e"));
    sameConnection->Delete();

    QStringList seen;
    for (walker->MoveNext(); !walker->IsEOF(); walker->MoveNext())
        seen.append(walker->Fields(0).Value().toString());
    QCOMPARE(seen, list("B d"));
    QCOMPARE(walker->RecordCount(), 3L);
}
