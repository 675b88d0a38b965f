// Loaded into the real program with LD_PRELOAD, it works the window as a person would (the
// program has no command line): once the window is shown, it clicks the first recipe, types
// KX_DRIVE_AUTHOR as its author and saves it when given, prints it, writes "author: ..." and
// closes the window (KX_DRIVE_STAY=main or =print leaves it open, for screenshots). Every
// message box is written out as "message: ..." and answered.
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// The tree is rebuilt after a change, so the recipe is looked up each time.
void showFirstRecipe(QWidget *main)
{
    auto *tree = main->findChild<QTreeWidget *>(QStringLiteral("Tv"));
    QTreeWidgetItem *root = tree->topLevelItem(0);
    QTreeWidgetItem *category = root ? root->child(0) : nullptr;
    if (category)
        tree->expandItem(category);
    tree->setCurrentItem(nullptr);
    tree->setCurrentItem(category ? category->child(0) : nullptr);
}

void work(QWidget *main)
{
    const QString stay = qEnvironmentVariable("KX_DRIVE_STAY");
    auto click = [main](const char *button) {
        QMetaObject::invokeMethod(main->findChild<QObject *>(QLatin1String(button)), "Click");
    };
    auto *author = main->findChild<QLineEdit *>(QStringLiteral("Text2"));
    showFirstRecipe(main);
    if (qEnvironmentVariableIsSet("KX_DRIVE_AUTHOR")) {
        click("Edit");
        author->selectAll();
        QTest::keyClicks(author, qEnvironmentVariable("KX_DRIVE_AUTHOR"));
        click("saveedited");
        showFirstRecipe(main);
    }
    if (stay != QLatin1String("main"))
        click("print");
    say(QStringLiteral("author: ") + author->text());
    if (stay.isEmpty())
        main->close();
}

void watch()
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            say(QStringLiteral("message: ") + box->text().simplified());
            box->done(QMessageBox::Ok);
        }
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("main") && w->isVisible() &&
                !QApplication::activeModalWidget() && !timer->property("working").toBool()) {
                timer->setProperty("working", true);
                QTimer::singleShot(0, w, [w] { work(w); });
            }
        }
    });
    timer->start(20);
}

// Runs while the application object is made: the watch begins with its event loop.
void start()
{
    QMetaObject::invokeMethod(qApp, &watch, Qt::QueuedConnection);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(start)
