#include "frmprint.h"

#include "WebBrowser.h"
#include "controls/KeyCommands.h"
#include "controls/xpcmdbutton.h"
#include "controls/xptopbuttons.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/PropertyBag.h"
#include "platform/vb/Twips.h"
#include "skin/xp_canvas.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QPointer>

using vb::twipsRect;

namespace {

QPointer<frmprint> &instance()
{
    static QPointer<frmprint> loaded;
    return loaded;
}

} // namespace

frmprint *frmprint::Loaded()
{
    return instance().data();
}

frmprint *frmprint::Load(const QString &folder)
{
    if (!instance()) {
        instance() = new frmprint(folder);
        instance()->Form_Load();
    }
    return instance().data();
}

void frmprint::Unload()
{
    frmprint *window = instance().data();
    if (!window)
        return;
    instance() = nullptr;
    if (window->WB->isBusy()) {
        // The print dialog is still open on it: it goes once the dialog has returned.
        window->hide();
        window->deleteLater();
    } else {
        delete window;
    }
}

frmprint::frmprint(const QString &folder)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_folder(folder)
{
    setObjectName(QStringLiteral("frmprint"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(vb::px(8280), vb::px(7230));
    createControls();
    applyDesignData();

    connect(print, &xpcmdbutton::Click, this, &frmprint::print_Click);
    connect(xptopbuttons1, &xptopbuttons::Click, this, &frmprint::xptopbuttons1_Click);
    connect(xptopbuttons3, &xptopbuttons::Click, this, &frmprint::xptopbuttons3_Click);
    connect(WB, &WebBrowser::printFailed, this, &frmprint::reportPrintFailure);

    // Keys do what a click on their button does.
    auto *keys = new KeyCommands(this);
    keys->bind(Qt::CTRL | Qt::Key_P, print, QStringLiteral("Print the recipe"));
    keys->bind(Qt::Key_Escape, xptopbuttons1, QStringLiteral("Close the preview"));
}

frmprint::~frmprint()
{
    if (instance() == this)
        instance() = nullptr;
}

void frmprint::createControls()
{
    frmprintXP = new xp_canvas(QStringLiteral("frmprintXP"), this);
    frmprintXP->setGeometry(twipsRect(0, 0, 8295, 7215));
    QWidget *c = frmprintXP;

    auto topButton = [c](const QString &name, int left) {
        auto *b = new xptopbuttons(name, c);
        b->move(vb::px(left), vb::px(90));
        return b;
    };
    xptopbuttons3 = topButton(QStringLiteral("xptopbuttons3"), 7230);
    xptopbuttons2 = topButton(QStringLiteral("xptopbuttons2"), 7580);
    xptopbuttons1 = topButton(QStringLiteral("xptopbuttons1"), 7920);

    print = new xpcmdbutton(QStringLiteral("print"), c);
    print->setGeometry(twipsRect(7200, 450, 975, 375));
    // No action is bound to printform, so it is not shown.
    printform = new xpcmdbutton(QStringLiteral("printform"), c);
    printform->setGeometry(twipsRect(5280, 450, 1695, 375));
    printform->setVisible(false);

    Label1 = new QLabel(QStringLiteral("Right Click On White Area in the View Box To Print."), c);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(120, 600, 4425, 195));
    QFont labelFont(QStringLiteral("MS Sans Serif"));
    labelFont.setPointSizeF(8.25);
    labelFont.setBold(true);
    Label1->setFont(labelFont);
    // Where MS Sans Serif is missing, a wider face stands in; the label then grows to the
    // right, into the free space before the buttons, rather than cut its instruction short.
    Label1->resize(qMax(Label1->width(), Label1->sizeHint().width()), Label1->height());

    WB = new WebBrowser(c);
    WB->setObjectName(QStringLiteral("WB"));
    WB->setGeometry(twipsRect(120, 840, 8055, 6135));
    WB->setAccessibleName(QStringLiteral("Recipe page"));
}

void frmprint::applyDesignData()
{
    // The buttons store no caption, so they show their names.
    vb::PropertyBag buttonFont;
    buttonFont.WriteProperty(QStringLiteral("Font"), QFont(QStringLiteral("Arial"), 9));
    print->ReadProperties(buttonFont);
    printform->ReadProperties(buttonFont);

    ReadTitleBarDesign(xptopbuttons3, xptopbuttons2, xptopbuttons1);

    // The frame stores nothing: its title, and through it the window's caption, is its name.
    frmprintXP->ReadProperties(vb::PropertyBag());
}

void frmprint::Form_Load()
{
    WB->Navigate(QDir(m_folder).filePath(QStringLiteral("print.htm")));
}

void frmprint::print_Click()
{
    WB->ExecWB(WebBrowser::OLECMDID_PRINT, WebBrowser::OLECMDEXECOPT_PROMPTUSER);
}

void frmprint::xptopbuttons1_Click()
{
    close();
}

void frmprint::xptopbuttons3_Click()
{
    showMinimized();
}

void frmprint::closeEvent(QCloseEvent *event)
{
    // Closing unloads: the next print loads the window again and reads the new page.
    if (instance() == this)
        instance() = nullptr;
    event->accept();
}

void frmprint::reportPrintFailure(const QString &target)
{
    QString text = QStringLiteral("The recipe could not be printed.");
    if (!target.isEmpty())
        text += QStringLiteral("\r\n\r\n%1").arg(QDir::toNativeSeparators(target));
    vb::MsgBox(text, vb::vbCritical, QString(), this);
}
