#include "frmimport.h"

#include "Assets.h"
#include "controls/xpcmdbutton.h"
#include "controls/xptopbuttons.h"
#include "platform/vb/PropertyBag.h"
#include "skin/PlaceBeside.h"
#include "skin/xp_canvas.h"
#include "store/Import.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

// The window's design, in pixels: the frame covers it; the controls sit inside the frame's
// 29-pixel title bar and 5-pixel borders.
constexpr int Width = 600;
constexpr int Height = 420;
constexpr int Left = 12;
constexpr int Inner = Width - 2 * Left;

} // namespace

frmimport::frmimport(QWidget *owner) : QWidget(owner, Qt::Window | Qt::FramelessWindowHint)
{
    kxInitAssets();
    setObjectName(QStringLiteral("frmimport"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(Width, Height);
    createControls();
    connect(xptopbuttons1, &xptopbuttons::Click, this, &QWidget::close);
    connect(xptopbuttons3, &xptopbuttons::Click, this, &QWidget::showMinimized);
    connect(cmdclose, &xpcmdbutton::Click, this, &QWidget::close);
    connect(cmdcopy, &xpcmdbutton::Click, this,
            [this] { QApplication::clipboard()->setText(reportText()); });
}

void frmimport::createControls()
{
    frmimportXP = new xp_canvas(QStringLiteral("frmimportXP"), this);
    frmimportXP->setGeometry(0, 0, Width, Height);
    QWidget *c = frmimportXP;

    auto topButton = [c](const QString &name, int fromRight) {
        auto *b = new xptopbuttons(name, c);
        b->move(Width - fromRight, 6);
        return b;
    };
    xptopbuttons3 = topButton(QStringLiteral("xptopbuttons3"), 70);
    xptopbuttons2 = topButton(QStringLiteral("xptopbuttons2"), 47);
    xptopbuttons1 = topButton(QStringLiteral("xptopbuttons1"), 24);
    ReadTitleBarDesign(xptopbuttons3, xptopbuttons2, xptopbuttons1);

    lblsummary = new QLabel(c);
    lblsummary->setObjectName(QStringLiteral("lblsummary"));
    lblsummary->setGeometry(Left, 38, Inner, 18);
    QFont bold = lblsummary->font();
    bold.setBold(true);
    lblsummary->setFont(bold);

    txtreport = new QPlainTextEdit(c);
    txtreport->setObjectName(QStringLiteral("txtreport"));
    txtreport->setGeometry(Left, 62, Inner, Height - 62 - 44);
    txtreport->setReadOnly(true);
    // Read, selected and copied from the keyboard as with the mouse.
    txtreport->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtreport->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtreport->setAccessibleName(QStringLiteral("Import report"));

    auto button = [c](const QString &name, const QString &caption, int right, int width) {
        auto *b = new xpcmdbutton(name, c);
        b->setGeometry(Width - right - width, Height - 36, width, 25);
        vb::PropertyBag bag;
        bag.WriteProperty(QStringLiteral("Caption"), caption, name);
        bag.WriteProperty(QStringLiteral("Font"), QFont(QStringLiteral("Arial"), 9));
        b->ReadProperties(bag);
        return b;
    };
    cmdclose = button(QStringLiteral("cmdclose"), QStringLiteral("Close"), Left, 90);
    cmdcopy = button(QStringLiteral("cmdcopy"), QStringLiteral("Copy All"), Left + 100, 90);
    cmdclose->setToolTip(QStringLiteral("Close the report (Esc)"));
    cmdcopy->setToolTip(
        QStringLiteral("Copy the whole report (or select a part and press Ctrl+C)"));

    vb::PropertyBag frame;
    frame.WriteProperty(QStringLiteral("Caption"), QStringLiteral("Import Report"),
                        frmimportXP->objectName());
    const QPixmap icon = QPixmap::fromImage(kxLoadArtwork(QStringLiteral(":/icons/kitchenex.png")));
    if (!icon.isNull())
        frame.WriteProperty(QStringLiteral("Icon"), icon);
    frmimportXP->ReadProperties(frame);
}

void frmimport::ShowReport(const Import::Report &report)
{
    const QString text = report.text();
    const QString summary = text.section(QLatin1Char('\n'), 0, report.ok ? 0 : 1);
    lblsummary->setText(summary);
    // A screen reader hears the summary with the window and the report with its text.
    lblsummary->setAccessibleName(summary);
    setAccessibleDescription(summary);
    txtreport->setPlainText(text);
    txtreport->setAccessibleDescription(summary);
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    txtreport->setFocus(Qt::OtherFocusReason);
}

QString frmimport::reportText() const
{
    return txtreport->toPlainText();
}

void frmimport::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmimport::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_placed && parentWidget()) {
        m_placed = true;
        PlaceBeside(this, parentWidget()->window()->frameGeometry());
    }
}
