// The platform layer the program talks through: the real dialogs, and the text boxes that give
// back exactly what they were given (the store's tests hold the trimming of blanks).
#include "platform/vb/MsgBox.h"
#include "platform/vb/TextBox.h"

#include <QAccessible>
#include <QClipboard>

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

class TestVb : public QObject
{
    Q_OBJECT
private slots:
    void questionAnswersNoToEnterAndEscape_data();
    void questionAnswersNoToEnterAndEscape();
    void inputBoxGivesTheTextOrNothing();
    void boxesGiveBackExactlyWhatTheyWereGiven();
    void boxesGiveWhatTheyShowHoweverItGotThere_data();
    void boxesGiveWhatTheyShowHoweverItGotThere();
};

namespace {

// Presses a key in the next modal dialog once it is up.
void pressInNextDialog(Qt::Key key, const QString &typed = QString())
{
    QTimer::singleShot(0, [key, typed] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        if (!typed.isEmpty())
            QTest::keyClicks(dialog->findChild<QLineEdit *>(), typed);
        QTest::keyClick(dialog, key);
    });
}

} // namespace

void TestVb::questionAnswersNoToEnterAndEscape_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("answer");
    const int question = vb::vbYesNo + vb::vbCritical + vb::vbDefaultButton2;
    QTest::newRow("Enter on a question") << int(Qt::Key_Return) << question << int(vb::vbNo);
    QTest::newRow("Escape on a question") << int(Qt::Key_Escape) << question << int(vb::vbNo);
    QTest::newRow("Enter, Yes the default") << int(Qt::Key_Return) << int(vb::vbYesNo) << int(vb::vbYes);
    QTest::newRow("Enter on a message") << int(Qt::Key_Return) << int(vb::vbOKOnly) << int(vb::vbOK);
}

void TestVb::questionAnswersNoToEnterAndEscape()
{
    QFETCH(int, key);
    QFETCH(int, flags);
    QFETCH(int, answer);
    pressInNextDialog(Qt::Key(key));
    QCOMPARE(vb::MsgBox(QStringLiteral("Do you want to continue ?"), flags, QStringLiteral("Warnning")),
             answer);
}

void TestVb::inputBoxGivesTheTextOrNothing()
{
    pressInNextDialog(Qt::Key_Return, QStringLiteral("Soups"));
    QCOMPARE(vb::InputBox(QStringLiteral("Enter a Name For New Category"),
                          QStringLiteral("Create New Category")),
             QStringLiteral("Soups"));
    pressInNextDialog(Qt::Key_Escape, QStringLiteral("Typed, then cancelled"));
    QCOMPARE(vb::InputBox(QStringLiteral("Enter a Name For New Category")), QString());
}

void TestVb::boxesGiveBackExactlyWhatTheyWereGiven()
{
    const QString stored = QStringLiteral("a\r\nb\tc") + QChar(0) + QStringLiteral("\u00a0d ");
    vb::MemoTextBox memo;
    memo.SetText(stored);
    QCOMPARE(memo.Text(), stored);
    // Once the user types, the box gives what it shows.
    memo.SetLocked(false);
    memo.show();
    memo.setFocus();
    memo.moveCursor(QTextCursor::End);
    QTest::keyClicks(&memo, QStringLiteral("x"));
    QVERIFY(memo.Text().endsWith(QStringLiteral("x")));
    QVERIFY(!memo.Text().contains(QStringLiteral("\r\n")));

    vb::LineTextBox line;
    line.show();
    line.SetText(QStringLiteral("Leek  "));
    QCOMPARE(line.Text(), QStringLiteral("Leek  "));
    line.SetLocked(true);
    QTest::keyClicks(&line, QStringLiteral("x")); // a locked box takes nothing
    QCOMPARE(line.Text(), QStringLiteral("Leek  "));
    line.SetLocked(false);
    line.end(false);
    QTest::keyClick(&line, Qt::Key_Backspace);
    QCOMPARE(line.Text(), QStringLiteral("Leek "));
}

void TestVb::boxesGiveWhatTheyShowHoweverItGotThere_data()
{
    QTest::addColumn<bool>("memo");
    QTest::addColumn<QString>("how");
    for (const bool memo : {false, true})
        for (const char *how :
             {"accessible set text", "accessible replace", "paste", "input method"})
            QTest::addRow("%s, %s", memo ? "memo" : "line", how) << memo << QString::fromUtf8(how);
}

// A screen reader's "set text", a paste or an input method changes what the box shows without
// a key being typed; what is saved must be what is shown all the same.
void TestVb::boxesGiveWhatTheyShowHoweverItGotThere()
{
    QFETCH(bool, memo);
    QFETCH(QString, how);
    vb::LineTextBox line;
    vb::MemoTextBox memoBox;
    vb::TextBox &box = memo ? static_cast<vb::TextBox &>(memoBox) : line;
    box.widget()->show();
    box.SetText(QStringLiteral("Roast beef"));
    box.SetLocked(false);
    box.SetFocus();
    QAccessibleInterface *a11y = QAccessible::queryAccessibleInterface(box.widget());
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("Cold "));
    QGuiApplication::clipboard()->setText(QStringLiteral("Cold "));
    if (how == QLatin1String("accessible set text"))
        a11y->setText(QAccessible::Value, QStringLiteral("Roast lamb"));
    else if (how == QLatin1String("accessible replace"))
        a11y->editableTextInterface()->replaceText(6, 10, QStringLiteral("pork"));
    else if (how == QLatin1String("paste"))
        memo ? memoBox.paste() : line.paste();
    else
        QCoreApplication::sendEvent(box.widget(), &composed);
    const QString shown = memo ? memoBox.toPlainText() : line.text();
    QVERIFY(shown != QStringLiteral("Roast beef"));
    QCOMPARE(box.Text(), shown);
}

QTEST_MAIN(TestVb)
#include "test_vb.moc"
