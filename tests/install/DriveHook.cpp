// Drives the real program from inside, the way a person would, for the tests that run the
// program as it is installed (the program has no command line). Loaded into the program with
// LD_PRELOAD; the program itself is not changed. Once the main window is shown and no message
// is open, it clicks the first recipe of the tree, optionally edits its author
// (KX_DRIVE_AUTHOR), prints it, writes "author: ..." to the standard output, and closes the
// window (KX_DRIVE_STAY keeps it open). Every message box the program opens is written out
// as "message: ..." and answered.
#include <QApplication>
#include <QCoreApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void click(QWidget *window, const char *button)
{
    QObject *b = window->findChild<QObject *>(QString::fromLatin1(button));
    if (!b || !QMetaObject::invokeMethod(b, "Click"))
        say(QStringLiteral("no button %1").arg(QString::fromLatin1(button)));
}

// Clicks the first recipe of the tree (the tree is rebuilt after a change); false when none.
bool showFirstRecipe(QWidget *main)
{
    auto *tree = main->findChild<QTreeWidget *>(QStringLiteral("Tv"));
    QTreeWidgetItem *root = tree ? tree->topLevelItem(0) : nullptr;
    QTreeWidgetItem *category = root ? root->child(0) : nullptr;
    if (!category)
        return false;
    tree->expandItem(category);
    if (category->childCount() == 0)
        return false;
    tree->setCurrentItem(nullptr);
    tree->setCurrentItem(category->child(0));
    return true;
}

void work(QWidget *main)
{
    // For screenshots: KX_DRIVE_STAY=main leaves the window open on the recipe, =print on its
    // print preview.
    const QString stay = qEnvironmentVariable("KX_DRIVE_STAY");
    auto *author = main->findChild<QLineEdit *>(QStringLiteral("Text2"));
    if (!showFirstRecipe(main)) {
        say(QStringLiteral("no recipe in the tree"));
    } else {
        if (qEnvironmentVariableIsSet("KX_DRIVE_AUTHOR")) {
            click(main, "Edit");
            author->selectAll();
            QTest::keyClicks(author, qEnvironmentVariable("KX_DRIVE_AUTHOR"));
            click(main, "saveedited");
            showFirstRecipe(main);
        }
        if (stay != QLatin1String("main"))
            click(main, "print");
        say(QStringLiteral("author: ") + author->text());
    }
    if (stay.isEmpty())
        main->close();
}

void answerMessages()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        say(QStringLiteral("message: ") + box->text().simplified());
        box->done(QMessageBox::Ok);
    } else if (auto *input = qobject_cast<QInputDialog *>(modal)) {
        input->reject();
    }
}

void watch()
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        answerMessages();
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("main") && w->isVisible() &&
                !QApplication::activeModalWidget()) {
                // Messages the work opens are still answered by this timer.
                QObject::disconnect(timer, nullptr, nullptr, nullptr);
                QObject::connect(timer, &QTimer::timeout, &answerMessages);
                QTimer::singleShot(0, w, [w] { work(w); });
                return;
            }
        }
    });
    timer->start(20);
}

// Runs while the application object is being made: the watch begins with its event loop.
void start()
{
    QMetaObject::invokeMethod(qApp, &watch, Qt::QueuedConnection);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(start)
