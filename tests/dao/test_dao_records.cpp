#include "DaoTest.h"

#include <QTest>

using namespace daotest;

void DaoTest::textFieldHolds255Characters()
{
    makeRecipes(path(), Soups, {QStringLiteral("first")});
    const QString longest(255, QLatin1Char('a'));
    {
        auto db = open(path());
        auto rs = db->OpenRecordset(Soups);
        addRecord(*rs, {longest});

        // One field too long and nothing of the record is stored, not even the memo.
        rs->AddNew();
        rs->Fields(0).setValue(QString(256, QLatin1Char('b')));
        rs->Fields(2).setValue(QStringLiteral("memo"));
        const dao::Error e = failure([&] { rs->Update(); });
        QCOMPARE(e.number(), int(dao::errFieldTooSmall));
        QVERIFY2(e.message().contains(QLatin1String("\"Name\"")) && e.message().contains(Soups),
                 qPrintable(e.message()));
        // Characters count as UTF-16 units: an emoji takes two.
        rs->Fields(0).setValue(QStringLiteral("ok"));
        rs->Fields(1).setValue(QString(254, QLatin1Char('c')) + QStringLiteral("🍰"));
        QCOMPARE(errorOf([&] { rs->Update(); }), int(dao::errFieldTooSmall));
        rs->CancelUpdate();

        rs->Edit();
        rs->Fields(0).setValue(QString(300, QLatin1Char('d')));
        rs->Fields(3).setValue(QStringLiteral("changed"));
        QCOMPARE(errorOf([&] { rs->Update(); }), int(dao::errFieldTooSmall));
        rs->CancelUpdate();
    }
    QCOMPARE(namesOf(path(), Soups), (QStringList{QStringLiteral("first"), longest}));
    auto db = open(path(), true);
    QVERIFY(!db->OpenRecordset(Soups)->Fields(3).Value().isValid());
}

void DaoTest::recordsKeepStoredOrder()
{
    makeRecipes(path(), Soups, list("r1 r2 r3 r4 r5"));
    {
        auto db = open(path());
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
    QCOMPARE(namesOf(path(), Soups), list("r1 r3 r4 r6 r7"));
    addRecord(*open(path())->OpenRecordset(Soups), {QStringLiteral("r0")});
    QCOMPARE(namesOf(path(), Soups), list("r1 r3 r4 r6 r7 r0"));
}

void DaoTest::nullsAndEdits()
{
    const QString memo(50000, QLatin1Char('i'));
    makeRecipes(path(), Soups, {});
    {
        auto db = open(path());
        auto rs = db->OpenRecordset(Soups);
        addRecord(*rs, {QString(QLatin1String("")), QVariant(), memo, QStringLiteral(" ")});
        addRecord(*rs, {QStringLiteral("second")});
        rs->MoveFirst();
        rs->Edit();
        rs->Fields(1).setValue(QStringLiteral("Bea"));
        rs->Update();
        // Moving away drops an edit that was not saved.
        rs->Edit();
        rs->Fields(0).setValue(QStringLiteral("lost"));
        rs->MoveNext();
        QCOMPARE(errorOf([&] { rs->Update(); }), int(dao::errUpdateWithoutEdit));
        rs->Edit();
        rs->Fields(0).setValue(QVariant());
        rs->Update();
    }
    auto db = open(path(), true);
    auto rs = db->OpenRecordset(Soups);
    QVERIFY(rs->Fields(0).Value().isValid());
    QCOMPARE(rs->Fields(0).Value().toString(), QString());
    QCOMPARE(rs->Fields(1).Value(), QVariant(QStringLiteral("Bea")));
    QCOMPARE(rs->Fields(2).Value().toString(), memo);
    QCOMPARE(rs->Fields(3).Value(), QVariant(QStringLiteral(" ")));
    rs->MoveNext();
    for (int i = 0; i < 4; ++i)
        QVERIFY(!rs->Fields(i).Value().isValid());
}

void DaoTest::noCurrentOrDeletedRecord()
{
    makeRecipes(path(), QStringLiteral("Empty"), {});
    makeRecipes(path(), Soups, list("a b c"));
    auto db = open(path());

    auto empty = db->OpenRecordset(QStringLiteral("Empty"));
    QVERIFY(empty->IsEOF());
    QCOMPARE(errorOf([&] { empty->Fields(0).Value(); }), int(dao::errNoCurrentRecord));
    QCOMPARE(errorOf([&] { empty->MoveFirst(); }), int(dao::errNoCurrentRecord));
    QCOMPARE(errorOf([&] { empty->MoveNext(); }), int(dao::errNoCurrentRecord));
    QCOMPARE(errorOf([&] { empty->Edit(); }), int(dao::errNoCurrentRecord));
    QCOMPARE(errorOf([&] { empty->Delete(); }), int(dao::errNoCurrentRecord));
    QCOMPARE(errorOf([&] { empty->Update(); }), int(dao::errUpdateWithoutEdit));
    // Adding to an empty table leaves the record set at the end; MoveFirst finds the record.
    addRecord(*empty, {QStringLiteral("new")});
    QVERIFY(empty->IsEOF());
    empty->MoveFirst();
    QCOMPARE(empty->Fields(0).Value().toString(), QStringLiteral("new"));

    auto rs = db->OpenRecordset(Soups);
    QCOMPARE(rs->RecordCount(), 3L); // counted before the delete, then kept up to date
    rs->MoveNext();
    rs->Delete();
    QVERIFY(!rs->IsEOF());
    QCOMPARE(errorOf([&] { rs->Fields(0).Value(); }), int(dao::errRecordDeleted));
    QCOMPARE(errorOf([&] { rs->Edit(); }), int(dao::errRecordDeleted));
    QCOMPARE(errorOf([&] { rs->Delete(); }), int(dao::errRecordDeleted));
    QCOMPARE(rs->RecordCount(), 2L);
    rs->MoveNext();
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("c"));
    rs->MoveNext(); // past the last record: no error yet
    QVERIFY(rs->IsEOF());
    QCOMPARE(errorOf([&] { rs->Fields(0).Value(); }), int(dao::errNoCurrentRecord));
    QCOMPARE(errorOf([&] { rs->MoveNext(); }), int(dao::errNoCurrentRecord));
    rs->MoveFirst();
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("a"));

    // Closed twice, or used closed, raises.
    auto other = db->OpenRecordset(Soups);
    rs->Close();
    QCOMPARE(errorOf([&] { rs->Close(); }), int(dao::errObjectClosed));
    QCOMPARE(errorOf([&] { rs->MoveFirst(); }), int(dao::errObjectClosed));
    // Closing the database closes what was opened from it; merely dropping it does not.
    db->Close();
    QCOMPARE(errorOf([&] { other->Fields(0).Value(); }), int(dao::errObjectClosed));
    QCOMPARE(errorOf([&] { db->Close(); }), int(dao::errObjectClosed));
    db = open(path());
    rs = db->OpenRecordset(Soups);
    db.reset();
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("a"));
}

void DaoTest::walkingManyRecords()
{
    // More records than one read-ahead page, with long memos among them.
    const int count = 3000;
    const auto memo = [](int i) { return QString(20000, QChar(u'a' + i % 26)); };
    {
        auto db = createDatabase(path());
        db->BeginTrans();
        addRecipeTable(*db, Soups);
        auto rs = db->OpenRecordset(Soups);
        for (int i = 0; i < count; ++i)
            addRecord(*rs, {QStringLiteral("n%1").arg(i), QVariant(),
                            i % 7 == 0 ? QVariant(memo(i)) : QVariant()});
        db->CommitTrans();
    }
    auto db = open(path(), true);
    auto rs = db->OpenRecordset(Soups);
    QCOMPARE(rs->RecordCount(), long(count));
    int i = 0;
    for (; !rs->IsEOF(); rs->MoveNext(), ++i) {
        QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("n%1").arg(i));
        if (i % 700 == 0) // a memo now and then changes what is read ahead
            QCOMPARE(rs->Fields(2).Value().toString(), memo(i));
    }
    QCOMPARE(i, count);
}
