#include "xpcmdbutton.h"

#include "Assets.h"
#include "SkinButtonAccessible.h"
#include "platform/vb/VbInput.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QShortcutEvent>

#include <cmath>

namespace {

constexpr int Border = 3; // the part of each cell that keeps its shape when stretched
constexpr int DisabledCell = 2;
const QColor CaptionColour(0, 0, 0);
const QColor DisabledCaptionColour(161, 161, 146);

const vb::PictureClip &faceStrip()
{
    static const vb::PictureClip strip = [] {
        const QImage image = kxLoadArtwork(QStringLiteral(":/buttons/cmdbutton.png"));
        if (image.isNull())
            qWarning("xpcmdbutton: the button artwork is missing");
        return vb::PictureClip(image.convertToFormat(QImage::Format_ARGB32_Premultiplied), 1, 5);
    }();
    return strip;
}

// The caption as the label shows it: an access mark ("&Add") underlines its letter, "&&"
// stands for "&". Captions without a mark stay plain text, blanks and all.
void showCaption(QLabel *label, const QString &caption)
{
    if (QKeySequence::mnemonic(caption).isEmpty()) {
        label->setTextFormat(Qt::PlainText);
        label->setText(QString(caption).replace(QStringLiteral("&&"), QStringLiteral("&")));
        return;
    }
    QString html = QStringLiteral("<span style=\"white-space:pre\">");
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&' && i + 1 < caption.size()) {
            ++i;
            const QString ch = QString(caption.at(i)).toHtmlEscaped();
            html += caption.at(i) == u'&' ? ch : QStringLiteral("<u>%1</u>").arg(ch);
        } else {
            html += QString(caption.at(i)).toHtmlEscaped();
        }
    }
    html += QStringLiteral("</span>");
    label->setTextFormat(Qt::RichText);
    label->setText(html);
}

} // namespace

xpcmdbutton::xpcmdbutton(const QString &name, QWidget *parent) : SkinButton(parent), pc(faceStrip())
{
    SkinButtonAccessible::install();
    setObjectName(name);
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);

    // The caption lets every mouse event through to the button, so pointing at it is pointing
    // at the button, and moving between caption and face is no leaving.
    lbl = new QLabel(QStringLiteral("xpcmdbutton"), this);
    lbl->setObjectName(QStringLiteral("lbl"));
    lbl->setAttribute(Qt::WA_TransparentForMouseEvents);

    RefreshFace();
    SetState(0);
    SetEnabled(true);
    SetCaption(name);
    SetFont(ambientFont());
}

QFont xpcmdbutton::ambientFont() const
{
    return parentWidget() ? parentWidget()->font() : QApplication::font();
}

void xpcmdbutton::SetCaption(const QString &caption)
{
    m_caption = caption;
    showCaption(lbl, caption);
    updateAccessKey();
    centreCaption();
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

bool xpcmdbutton::Enabled() const
{
    return !testAttribute(Qt::WA_ForceDisabled);
}

void xpcmdbutton::SetEnabled(bool enabled)
{
    setEnabled(enabled);
    applyEnabledLook();
}

void xpcmdbutton::SetState(int state)
{
    m_state = state;
    RefreshFace();
}

void xpcmdbutton::SetFont(const QFont &font)
{
    m_font = font;
    setFont(font);
    lbl->setFont(font);
    centreCaption();
}

void xpcmdbutton::ReadProperties(const vb::PropertyBag &bag)
{
    // State goes straight into its field; the Enabled that follows draws the resting look.
    m_state = bag.ReadProperty(QStringLiteral("State"), 0).toInt();
    SetEnabled(bag.ReadProperty(QStringLiteral("Enabled"), true).toBool());
    SetCaption(bag.ReadProperty(QStringLiteral("Caption"), objectName()).toString());
    SetFont(bag.ReadProperty(QStringLiteral("Font"), ambientFont()).value<QFont>());
}

void xpcmdbutton::WriteProperties(vb::PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("State"), m_state, 0);
    bag.WriteProperty(QStringLiteral("Enabled"), Enabled(), true);
    bag.WriteProperty(QStringLiteral("Caption"), m_caption, objectName());
    bag.WriteProperty(QStringLiteral("Font"), m_font, ambientFont());
}

void xpcmdbutton::DrawCell(int cell)
{
    m_cell = cell;
    m_faceStale = true;
    update();
}

void xpcmdbutton::paintFace()
{
    m_faceStale = false;
    const int cell = m_cell;
    const int w = width();
    const int h = height();
    const QImage image = pc.GraphicCell(cell);
    if (w <= 0 || h <= 0 || image.isNull()) {
        m_face = QImage();
        return;
    }
    m_face = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
    m_face.fill(Qt::transparent);
    QPainter p(&m_face);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const auto piece = [&](int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
        // Below six pixels the stretched pieces have no room left; they are left out.
        if (dw > 0 && dh > 0 && sw > 0 && sh > 0)
            p.drawImage(QRect(dx, dy, dw, dh), image, QRect(sx, sy, sw, sh));
    };
    const int b = Border;
    const int sr = image.width() - b;  // first column of the right border in the cell
    const int sb = image.height() - b; // first row of the bottom border in the cell
    const int sw = image.width() - 2 * b;
    const int sh = image.height() - 2 * b;
    piece(0, 0, b, b, 0, 0, b, b);                   // top-left corner
    piece(w - b, 0, b, b, sr, 0, b, b);              // top-right corner
    piece(w - b, h - b, b, b, sr, sb, b, b);         // bottom-right corner
    piece(0, h - b, b, b, 0, sb, b, b);              // bottom-left corner
    piece(b, 0, w - 2 * b, b, b, 0, sw, b);          // top edge
    piece(w - b, b, b, h - 2 * b, sr, b, b, sh);     // right edge
    piece(0, b, b, h - 2 * b, 0, b, b, sh);          // left edge
    piece(b, h - b, w - 2 * b, b, b, sb, sw, b);     // bottom edge
    piece(b, b, w - 2 * b, h - 2 * b, b, b, sw, sh); // centre
}

void xpcmdbutton::RefreshFace()
{
    if (m_state == 1)
        m_restingCell = 4;
    else if (m_state == 0)
        m_restingCell = 0;
    DrawCell(Enabled() ? m_restingCell : DisabledCell);
}

void xpcmdbutton::centreCaption()
{
    RefreshFace();
    // A hidden button centres its caption when it is shown: the caption is measured once,
    // in the font and text it shows, not at every step of the button's setting up.
    if (!isVisible()) {
        m_centrePending = true;
        return;
    }
    m_centrePending = false;
    lbl->adjustSize();
    lbl->move(int(std::floor((width() - lbl->width()) / 2.0)),
              int(std::floor((height() - lbl->height()) / 2.0)));
}

void xpcmdbutton::applyEnabledLook()
{
    RefreshFace();
    QPalette palette = lbl->palette();
    palette.setColor(QPalette::WindowText, Enabled() ? CaptionColour : DisabledCaptionColour);
    lbl->setPalette(palette);
}

void xpcmdbutton::showStep(Step step)
{
    switch (step) {
    case Step::Pressed:
    case Step::Dragged:
        DrawCell(1);
        break;
    case Step::Hovered:
        DrawCell(3);
        break;
    case Step::Released:
    case Step::Left:
        RefreshFace();
        break;
    }
}

void xpcmdbutton::updateAccessKey()
{
    if (m_accessKeyId != 0)
        releaseShortcut(m_accessKeyId);
    m_accessKeyId = 0;
    const QKeySequence key = QKeySequence::mnemonic(m_caption);
    if (!key.isEmpty())
        m_accessKeyId = grabShortcut(key);
}

bool xpcmdbutton::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut &&
        static_cast<QShortcutEvent *>(event)->shortcutId() == m_accessKeyId) {
        if (Enabled())
            emit Click();
        return true;
    }
    return QWidget::event(event);
}

void xpcmdbutton::paintEvent(QPaintEvent *)
{
    if (m_faceStale)
        paintFace();
    QPainter p(this);
    p.drawImage(0, 0, m_face);
    if (hasFocus() && width() > 8 && height() > 8) {
        p.setPen(QPen(QColor(0, 0, 0), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

void xpcmdbutton::resizeEvent(QResizeEvent *)
{
    centreCaption();
}

void xpcmdbutton::showEvent(QShowEvent *)
{
    if (m_centrePending)
        centreCaption();
    else
        RefreshFace();
}

void xpcmdbutton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        applyEnabledLook();
    QWidget::changeEvent(event);
}

void xpcmdbutton::keyPressEvent(QKeyEvent *event)
{
    const int shift = vbinput::shiftCode(event->modifiers());
    emit KeyDown(vbinput::keyCode(event->key()), shift);
    if (const int ascii = vbinput::keyAscii(*event))
        emit KeyPress(ascii);
}

void xpcmdbutton::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        emit KeyUp(vbinput::keyCode(event->key()), vbinput::shiftCode(event->modifiers()));
}
