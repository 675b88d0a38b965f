#include "frmfind.h"

#include "FindResultDelegate.h"
#include "FindResults.h"
#include "skin/xp_canvas.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>

namespace {

// The window's design, in pixels: the frame covers it; the controls sit inside the frame's
// 29-pixel title bar and 5-pixel borders.
constexpr int Width = 640;
constexpr int Height = 420;
constexpr int Left = 12;
constexpr int Inner = Width - 2 * Left;

QFont smallFont(const QFont &base, bool bold)
{
    QFont font = base;
    font.setPointSizeF(8.25);
    font.setBold(bold);
    return font;
}

} // namespace

frmfind::frmfind(Search searcher, Choose chooser, QWidget *owner)
    : SkinnedWindow(QStringLiteral("frmfind"), QStringLiteral("frmfindXP"),
                    QStringLiteral("Find Recipes"), QSize(Width, Height), owner),
      m_search(std::move(searcher)), m_choose(std::move(chooser)), m_results(new FindResults(this))
{
    createControls();

    m_pending.setSingleShot(true);
    m_pending.setInterval(0);
    connect(&m_pending, &QTimer::timeout, this, &frmfind::search);
    connect(txtquery, &QLineEdit::textChanged, &m_pending, qOverload<>(&QTimer::start));
    connect(lstresults, &QListView::clicked, this, &frmfind::choose);
    connect(lstresults, &QListView::activated, this, &frmfind::choose);
    search();
}

void frmfind::createControls()
{
    frmfindXP = frame();
    QWidget *c = frmfindXP;

    auto label = [c](const QString &name, const QString &text, QRect geometry, bool bold) {
        auto *l = new QLabel(text, c);
        l->setObjectName(name);
        l->setGeometry(geometry);
        l->setFont(smallFont(c->font(), bold));
        return l;
    };
    lblquery =
        label(QStringLiteral("lblquery"), QStringLiteral("&Find:"), QRect(Left, 42, 40, 16), true);
    txtquery = new QLineEdit(c);
    txtquery->setObjectName(QStringLiteral("txtquery"));
    txtquery->setGeometry(Left + 44, 38, Inner - 44, 24);
    txtquery->setClearButtonEnabled(true);
    txtquery->setAccessibleName(QStringLiteral("Find recipes"));
    txtquery->setAccessibleDescription(HintText());
    txtquery->installEventFilter(this);
    lblquery->setBuddy(txtquery);

    lblhint = label(QStringLiteral("lblhint"), HintText(), QRect(Left, 66, Inner, 16), false);
    lblhint->setForegroundRole(QPalette::PlaceholderText);
    // One line, whole: a wide face gets a smaller size.
    QFont hintFont = lblhint->font();
    while (QFontMetrics(hintFont).horizontalAdvance(HintText()) > Inner &&
           hintFont.pointSizeF() > 6.5)
        hintFont.setPointSizeF(hintFont.pointSizeF() - 0.25);
    lblhint->setFont(hintFont);
    lblhint->setToolTip(QStringLiteral(
        "All the words must occur, in any field and any order.\n"
        "\"a phrase\": the words together, in this order.\n"
        "-word: recipes with this word are left out.\n"
        "name:word, author:word, ingredients:word, instructions:word, category:word:\n"
        "the word must occur in that field."));

    lblcount = label(QStringLiteral("lblcount"), QString(), QRect(Left, 88, Inner, 16), true);

    lstresults = new QListView(c);
    lstresults->setObjectName(QStringLiteral("lstresults"));
    lstresults->setGeometry(Left, 108, Inner, Height - 108 - 30);
    lstresults->setModel(m_results);
    lstresults->setItemDelegate(new FindResultDelegate(lstresults));
    lstresults->setUniformItemSizes(true);
    lstresults->setSelectionMode(QAbstractItemView::SingleSelection);
    lstresults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstresults->setAccessibleName(QStringLiteral("Recipes found"));

    lblstatus =
        label(QStringLiteral("lblstatus"), QString(), QRect(Left, Height - 26, Inner, 16), false);
    lblstatus->setAccessibleName(QString());

    QWidget::setTabOrder(txtquery, lstresults);
}

QString frmfind::HintText()
{
    return QStringLiteral("All words, any field · \"a phrase\" · -word excludes · name: author: "
                          "ingredients: instructions: category: one field");
}

QString frmfind::CountText(int listed, int total, bool more)
{
    if (total <= 0)
        return QStringLiteral("No recipe found");
    const QLocale locale;
    if (more)
        return QStringLiteral("%1 of more than %2 recipes shown")
            .arg(locale.toString(listed), locale.toString(total));
    if (listed < total)
        return QStringLiteral("%1 of %2 recipes shown")
            .arg(locale.toString(listed), locale.toString(total));
    return total == 1 ? QStringLiteral("1 recipe found")
                      : QStringLiteral("%1 recipes found").arg(locale.toString(total));
}

void frmfind::setStatus(QLabel *label, const QString &text)
{
    label->setText(text);
    // A screen reader hears the label by its name, and hears it change.
    label->setAccessibleName(text);
}

void frmfind::search()
{
    m_pending.stop();
    const QString query = txtquery->text();
    setStatus(lblstatus, QString());
    if (query.trimmed().isEmpty()) {
        m_results->SetFound({});
        setStatus(lblcount, QStringLiteral("Type a word to find recipes"));
        return;
    }
    try {
        Catalog::Found found = m_search(query);
        const bool complete = found.complete;
        m_results->SetFound(std::move(found));
        QString count = CountText(m_results->rowCount(), m_results->Total(), m_results->More());
        if (!complete)
            count += QStringLiteral(" so far: the find index is still being made");
        setStatus(lblcount, count);
        if (m_results->rowCount() > 0)
            lstresults->setCurrentIndex(m_results->index(0));
    } catch (const std::exception &e) {
        // The file could not be read: said here rather than in a message at every key.
        m_results->SetFound({});
        setStatus(lblcount, QStringLiteral("The recipes could not be searched: %1")
                                .arg(QString::fromUtf8(e.what())));
    }
}

void frmfind::Refresh()
{
    if (m_pending.isActive())
        search();
}

void frmfind::ChooseCurrent()
{
    Refresh();
    QModelIndex index = lstresults->currentIndex();
    if (!index.isValid())
        index = m_results->index(0);
    choose(index);
}

void frmfind::choose(const QModelIndex &index)
{
    if (!index.isValid() || index.row() >= m_results->rowCount())
        return;
    lstresults->setCurrentIndex(index);
    QString refusal;
    try {
        refusal = m_choose(m_results->Hit(index.row()).id);
    } catch (const std::exception &e) {
        refusal = QString::fromUtf8(e.what());
    }
    setStatus(lblstatus, refusal);
}

void frmfind::IndexProgress(qint64 done, qint64 total, const QString &error)
{
    if (done >= 0) {
        const QLocale locale;
        setStatus(lblstatus, QStringLiteral("Making the find index: %1 of %2 recipes")
                                 .arg(locale.toString(done), locale.toString(total)));
        return;
    }
    search();
    if (!error.isEmpty())
        setStatus(lblstatus, QStringLiteral("The find index could not be made: ") + error);
}

void frmfind::Activate()
{
    bringToFront();
    txtquery->setFocus(Qt::ShortcutFocusReason);
    txtquery->selectAll();
}

bool frmfind::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtquery && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // The list moves while the typing goes on in the query box.
            Refresh();
            QCoreApplication::sendEvent(lstresults, event);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            ChooseCurrent();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmfind::keyPressEvent(QKeyEvent *event)
{
    // The keys that open the window bring the focus back to the query, ready for a new one.
    if (event->matches(QKeySequence::Find) || event->key() == Qt::Key_F3) {
        Activate();
        return;
    }
    SkinnedWindow::keyPressEvent(event);
}
