// The main window's controls, their places and its start-up and shutdown. The commands are in
// MainCommands.cpp.
#include "MainForm.h"

#include "Assets.h"
#include "NodeImages.h"
#include "StartupCheck.h"
#include "controls/xpcmdbutton.h"
#include "controls/xptopbuttons.h"
#include "print/PrintCommand.h"
#include "skin/xp_canvas.h"
#include "store/Backup.h"
#include "store/JetMigration.h"
#include "store/Product.h"
#include "store/RecipeBas.h"
#include "platform/dao/Database.h"
#include "platform/vb/ListBox.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/TextBox.h"
#include "platform/vb/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QTimer>

using vb::twipsRect;

namespace {

QFont buttonFont()
{
    return QFont(QStringLiteral("Arial"), 9);
}

// MS Sans Serif 8.25 pt, or the nearest face this desktop has: the labels are laid out for it.
QFont sansSerif(bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(8.25);
    font.setBold(bold);
    return font;
}

} // namespace

MainForm::MainForm(const QString &folder, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_folder(folder),
      m_view(new RecipeBas::View)
{
    kxInitAssets();
    setObjectName(QStringLiteral("main"));
    setFont(sansSerif(false));
    resize(vb::px(10695), vb::px(6510));
    // The program's icon: the window's own and the one its frame shows.
    const QPixmap icon = QPixmap::fromImage(kxLoadArtwork(QStringLiteral(":/icons/kitchenex.png")));
    if (!icon.isNull())
        setWindowIcon(QIcon(icon));
    createControls();
    applyDesignData(icon);
    // The tree's font is set last: it is the first font the window measures, and the fonts may
    // still be loading on another thread (see LoadFonts).
    Tv->setFont(sansSerif(true));
    setTabOrder();
    connectCommands();
    bindKeys();
    addTreeCommands();
    // Recipe files dropped on the window are imported (MainImport.cpp).
    setAcceptDrops(true);

    m_view->Tv = Tv;
    m_view->List1 = List1;
    m_view->ImageList1 = &ImageList1;
    m_view->Text1 = Text1;
    m_view->Text2 = Text2;
    m_view->Text3 = Text3;
    m_view->Text4 = Text4;
    RecipeBas::view = m_view;
    // A change waits for the verdict of a start-up check still running.
    RecipeBas::SetBeforeChange([this] { awaitVerdict(); });
}

void MainForm::LoadFonts()
{
    // The first font looked up reads the whole font list of the system; each face then has
    // its fallbacks worked out. Both are kept for every thread of the program.
    const QString sample = QStringLiteral("Kitchenex Recipe");
    const QFont fonts[] = {sansSerif(true), sansSerif(false), buttonFont(),
                           xp_canvas::CaptionFont()};
    for (const QFont &font : fonts)
        QFontMetrics(font).horizontalAdvance(sample);
}

MainForm::~MainForm()
{
    if (RecipeBas::view == m_view) {
        RecipeBas::view = nullptr;
        RecipeBas::SetBeforeChange(nullptr);
    }
    delete m_view;
}

void MainForm::createControls()
{
    fillNodeImages(ImageList1);

    xp_canvas1 = new xp_canvas(QStringLiteral("xp_canvas1"), this);
    xp_canvas1->setGeometry(twipsRect(0, 0, 10695, 6495));
    QWidget *c = xp_canvas1;

    auto button = [](const QString &name, QWidget *parent, QRect geometry) {
        auto *b = new xpcmdbutton(name, parent);
        b->setGeometry(geometry);
        return b;
    };
    xpcmdbutton2 = button(QStringLiteral("xpcmdbutton2"), c, twipsRect(120, 480, 1245, 300));
    xpcmdbutton1 = button(QStringLiteral("xpcmdbutton1"), c, twipsRect(2280, 480, 1260, 300));

    Tv = new vb::TreeView(c);
    Tv->setObjectName(QStringLiteral("Tv"));
    Tv->setGeometry(twipsRect(120, 840, 3495, 5535));
    Tv->setAccessibleName(QStringLiteral("Categories and recipes"));

    Line1 = new QFrame(c);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::VLine);
    Line1->setFrameShadow(QFrame::Plain);
    Line1->setGeometry(vb::px(3765), vb::px(360), 1, vb::px(6500) - vb::px(360));

    Picture1 = new QWidget(c);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twipsRect(3765, 436, 6858, 510));

    auto label = [c](const QString &name, const QString &caption, QRect geometry) {
        auto *l = new QLabel(caption, c);
        l->setObjectName(name);
        l->setGeometry(geometry);
        return l;
    };
    auto box = [c](auto *b, const QString &name, QRect geometry) {
        b->setObjectName(name);
        b->setGeometry(geometry);
        b->SetLocked(true);
        QPalette pal = b->palette();
        pal.setColor(QPalette::Base, Qt::white);
        b->setPalette(pal);
        return b;
    };
    Label1 = label(QStringLiteral("Label1"), QStringLiteral("Recipe Name:"), twipsRect(3960, 1245, 1080, 180));
    Text1 = box(new vb::LineTextBox(c), QStringLiteral("Text1"), twipsRect(5160, 1200, 3495, 285));
    Label2 = label(QStringLiteral("Label2"), QStringLiteral("Author:"), twipsRect(3960, 1755, 630, 180));
    Text2 = box(new vb::LineTextBox(c), QStringLiteral("Text2"), twipsRect(5160, 1680, 3495, 285));
    Label3 = label(QStringLiteral("Label3"), QStringLiteral("Ingredients:"), twipsRect(3960, 2040, 1080, 180));
    Text3 = box(new vb::MemoTextBox(c), QStringLiteral("Text3"), twipsRect(3960, 2280, 6495, 1455));
    Label4 = label(QStringLiteral("Label4"), QStringLiteral("Preparation Instructions:"), twipsRect(3960, 3840, 2250, 180));
    Text4 = box(new vb::MemoTextBox(c), QStringLiteral("Text4"), twipsRect(3960, 4080, 6495, 2295));
    // Each label names its box, for a screen reader as for the eye.
    const std::pair<QLabel *, QWidget *> buddies[] = {
        {Label1, Text1}, {Label2, Text2}, {Label3, Text3}, {Label4, Text4}};
    for (auto [l, w] : buddies) {
        l->setBuddy(w);
        w->setAccessibleName(l->text().chopped(1));
    }

    Save = button(QStringLiteral("Save"), c, twipsRect(8880, 1200, 855, 255));
    Cancel = button(QStringLiteral("Cancel"), c, twipsRect(9120, 1695, 855, 255));
    saveedited = button(QStringLiteral("saveedited"), c, twipsRect(8880, 1215, 1215, 255));
    canceledit = button(QStringLiteral("canceledit"), c, twipsRect(8880, 1695, 855, 255));
    delcatagroy = button(QStringLiteral("delcatagroy"), c, twipsRect(8880, 1215, 1695, 255));
    cancelcata = button(QStringLiteral("cancelcata"), c, twipsRect(9120, 1680, 855, 255));
    for (xpcmdbutton *b : {Save, Cancel, saveedited, canceledit, delcatagroy, cancelcata})
        b->setVisible(false);

    auto topButton = [c](const QString &name, int left) {
        auto *b = new xptopbuttons(name, c);
        b->move(vb::px(left), vb::px(90));
        return b;
    };
    xptopbuttons3 = topButton(QStringLiteral("xptopbuttons3"), 9630);
    xptopbuttons2 = topButton(QStringLiteral("xptopbuttons2"), 9975);
    xptopbuttons1 = topButton(QStringLiteral("xptopbuttons1"), 10320);

    // The staging list of the tree load; the user never works with it.
    List1 = new vb::ListBox(c);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twipsRect(10200, 1680, 150, 255));
    List1->setVisible(false);

    // The command strip.
    auto stripButton = [&button, this](const QString &name, int left, int width) {
        return button(name, Picture1, twipsRect(left, 60, width, 375));
    };
    add = stripButton(QStringLiteral("add"), 120, 855);
    delete_ = stripButton(QStringLiteral("delete"), 960, 855);
    Edit = stripButton(QStringLiteral("Edit"), 1800, 855);
    print = stripButton(QStringLiteral("print"), 2640, 855);
    Website = stripButton(QStringLiteral("Website"), 3480, 3255);
}

void MainForm::applyDesignData(const QPixmap &icon)
{
    // What the window's design data stores for each control: every button in Arial 9 pt, and
    // a caption where it is not the button's own name.
    const std::pair<xpcmdbutton *, const char *> captions[] = {
        {xpcmdbutton2, "Add Category"}, {xpcmdbutton1, "Del Category"},
        {Save, nullptr},                {Cancel, nullptr},
        {saveedited, "Save Edited"},    {canceledit, "Cancel"},
        {delcatagroy, "Delete a Category"}, {cancelcata, "Cancel"},
        {add, "ADD"},                   {delete_, "Delete"},
        {Edit, nullptr},                {print, "Print"},
        {Website, "More, Newer, visit our website."},
    };
    for (auto [b, caption] : captions) {
        vb::PropertyBag bag;
        if (caption)
            bag.WriteProperty(QStringLiteral("Caption"), QString::fromUtf8(caption), b->objectName());
        bag.WriteProperty(QStringLiteral("Font"), buttonFont());
        b->ReadProperties(bag);
    }

    ReadTitleBarDesign(xptopbuttons3, xptopbuttons2, xptopbuttons1);

    vb::PropertyBag frame;
    frame.WriteProperty(QStringLiteral("Caption"),
                        QStringLiteral("Kitchenex Recipe V2.2__") + WebsiteAddress);
    if (!icon.isNull())
        frame.WriteProperty(QStringLiteral("Icon"), icon);
    xp_canvas1->ReadProperties(frame);
}

void MainForm::setTabOrder()
{
    // The window's tab indices, in order: the tree, the four boxes, then the buttons.
    QWidget *order[] = {Tv,    Text1,        Text2,        Text3,       Text4,      print,
                        delete_, add,        Edit,         Save,        Cancel,     xpcmdbutton1,
                        xpcmdbutton2, delcatagroy, cancelcata, saveedited, canceledit, Website};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void MainForm::connectCommands()
{
    connect(Tv, &vb::TreeView::NodeClick, this, &MainForm::Tv_NodeClick);
    const std::pair<xpcmdbutton *, void (MainForm::*)()> commands[] = {
        {add, &MainForm::add_Click},
        {Save, &MainForm::Save_Click},
        {Cancel, &MainForm::Cancel_Click},
        {Edit, &MainForm::Edit_Click},
        {saveedited, &MainForm::saveedited_Click},
        {canceledit, &MainForm::canceledit_Click},
        {delete_, &MainForm::delete_Click},
        {xpcmdbutton2, &MainForm::xpcmdbutton2_Click},
        {xpcmdbutton1, &MainForm::xpcmdbutton1_Click},
        {delcatagroy, &MainForm::delcatagroy_Click},
        {cancelcata, &MainForm::cancelcata_Click},
        {print, &MainForm::print_Click},
        {Website, &MainForm::Website_Click},
    };
    for (auto [b, handler] : commands)
        connect(b, &xpcmdbutton::Click, this, handler);
    connect(xptopbuttons1, &xptopbuttons::Click, this, &QWidget::close);
    connect(xptopbuttons3, &xptopbuttons::Click, this, &QWidget::showMinimized);
}

void MainForm::Form_Load()
{
    RecipeBas::DataPath = QDir(m_folder).filePath(QStringLiteral("Recipe"));
    m_startupProblem.clear();
    // A new run: its first change makes a backup copy of the database.
    RecipeBas::StartBackupRun();
    // A damaged file is said to be damaged before anything of it is changed.
    m_verdict = Verdict::Sound;
    std::exception_ptr failure;
    try {
        if (m_startupCheck && m_startupCheck->open(RecipeBas::DataPath))
            m_verdict = Verdict::Pending; // the tree shows while the check goes on
        else
            checkNow();
    } catch (...) {
        failure = std::current_exception();
    }
    // A Recipe.mdb of the earlier Windows program, which no open takes, is offered for
    // conversion; the new file is then checked and shown in its place.
    if (failure && offerJetMigration(m_folder, this)) {
        failure = nullptr;
        try {
            checkNow();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    try {
        if (failure)
            std::rethrow_exception(failure);
        RecipeBas::LoadTree();
    } catch (const std::exception &e) {
        // The window opens all the same; an empty tree must not look like lost recipes.
        startupFailed(e);
    }
    if (m_verdict == Verdict::Pending) {
        // The verdict is taken on this thread, between events.
        m_startupCheck->whenChecked(
            [this](std::exception_ptr failure, std::unique_ptr<dao::Database> database) {
                // Closed with the event when the window is gone before it comes.
                auto held = std::make_shared<std::unique_ptr<dao::Database>>(std::move(database));
                QMetaObject::invokeMethod(
                    this, [this, failure, held] { checked(failure, std::move(*held)); },
                    Qt::QueuedConnection);
            });
    }
}

void MainForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_startupProblem.isEmpty() && !m_startupReported)
        QTimer::singleShot(0, this, [this] { showStartupProblem(); });
}

void MainForm::closeEvent(QCloseEvent *event)
{
    // Unloading never cancels: the database is closed, the strings cleared, and the program
    // ends with every other window of it.
    RecipeBas::ResetState();
    UnloadPrintPreview();
    if (m_find)
        m_find->close();
    event->accept();
    emit unloaded();
}
