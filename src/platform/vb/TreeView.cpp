#include "TreeView.h"

#include <QScrollBar>

#include <stdexcept>

namespace vb {

namespace {

// A node keeps its text, key, kind, pictures and icon in members rather than as item data: a
// tree of 100,000 recipes is filled without six data entries stored and searched per node.
// The roles read and write them as before.
class TreeNode : public QTreeWidgetItem
{
public:
    TreeNode(NodeKind kind, const QString &key, const QString &text, int image, int selectedImage,
             const QIcon &icon)
        : QTreeWidgetItem(UserType), m_text(text), m_key(key), m_icon(icon), m_kind(kind),
          m_image(image), m_selectedImage(selectedImage)
    {
    }

    void setRow(qint64 row) { m_row = row; }

    QVariant data(int column, int role) const override
    {
        if (column == 0) {
            switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole:
                return m_text;
            case TreeView::KeyRole:
                return m_key;
            case TreeView::KindRole:
                return int(m_kind);
            case TreeView::ImageRole:
                return m_image;
            case TreeView::SelectedImageRole:
                return m_selectedImage;
            case Qt::DecorationRole:
                return m_icon;
            case TreeView::RowRole:
                return m_row ? QVariant(*m_row) : QVariant();
            default:
                break;
            }
        }
        return QTreeWidgetItem::data(column, role);
    }

    void setData(int column, int role, const QVariant &value) override
    {
        if (column != 0) {
            QTreeWidgetItem::setData(column, role, value);
            return;
        }
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            m_text = value.toString();
            break;
        case TreeView::KeyRole:
            m_key = value.toString();
            break;
        case TreeView::KindRole:
            m_kind = NodeKind(value.toInt());
            break;
        case TreeView::ImageRole:
            m_image = value.toInt();
            break;
        case TreeView::SelectedImageRole:
            m_selectedImage = value.toInt();
            break;
        case Qt::DecorationRole:
            m_icon = value.value<QIcon>();
            break;
        case TreeView::RowRole:
            m_row = value.isValid() ? std::optional<qint64>(value.toLongLong()) : std::nullopt;
            break;
        default:
            QTreeWidgetItem::setData(column, role, value);
            return;
        }
        emitDataChanged();
    }

private:
    QString m_text;
    QString m_key;
    QIcon m_icon;
    NodeKind m_kind;
    int m_image;
    int m_selectedImage;
    std::optional<qint64> m_row;
};

} // namespace

QPixmap ImageList::Picture(int index) const
{
    if (index < 1 || index > m_pictures.size())
        return QPixmap();
    return m_pictures.at(index - 1);
}

TreeView::TreeView(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *node) {
        if (!m_rebuilding && node)
            emit NodeClick(node);
    });
    connect(this, &QTreeWidget::itemExpanded, this, &TreeView::RealizeChildren);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *node) {
        // A mouse press reports its node through itemClicked when the button is released.
        if (!m_rebuilding && !m_mousePress && node)
            emit NodeClick(node);
    });
}

void TreeView::mousePressEvent(QMouseEvent *event)
{
    m_mousePress = true;
    QTreeWidget::mousePressEvent(event);
    m_mousePress = false;
}

void TreeView::Clear()
{
    m_rebuilding = true;
    clear();
    m_keys.clear();
    m_waiting.clear();
    m_lastAdded = nullptr;
    m_lastParent = nullptr;
    m_rebuilding = false;
}

QIcon TreeView::nodeIcon(int image, int selectedImage) const
{
    if (!m_images)
        return QIcon();
    QIcon icon(m_images->Picture(image));
    if (selectedImage > 0)
        icon.addPixmap(m_images->Picture(selectedImage), QIcon::Selected);
    return icon;
}

QTreeWidgetItem *TreeView::makeNode(NodeKind kind, const QString &key, const QString &text,
                                    int image, int selectedImage) const
{
    if (!key.isEmpty() && m_keys.contains(key.toLower()))
        throw std::invalid_argument("Key is not unique in collection");
    return new TreeNode(kind, key, text, image, selectedImage, nodeIcon(image, selectedImage));
}

QTreeWidgetItem *TreeView::AddRoot(const QString &key, const QString &text, int image)
{
    QTreeWidgetItem *node = makeNode(NodeKind::Root, key, text, image, 0);
    m_rebuilding = true;
    addTopLevelItem(node);
    m_rebuilding = false;
    if (!key.isEmpty())
        m_keys.insert(key.toLower(), node);
    m_lastAdded = node;
    m_lastParent = nullptr;
    return node;
}

QTreeWidgetItem *TreeView::AddChild(const QString &relativeKey, NodeKind kind, const QString &key,
                                    const QString &text, int image, int selectedImage)
{
    QTreeWidgetItem *parent = Node(relativeKey);
    if (!parent)
        throw std::invalid_argument("Element not found");
    QTreeWidgetItem *node = makeNode(kind, key, text, image, selectedImage);
    RealizeChildren(parent); // the new node comes after the waiting ones
    m_rebuilding = true;
    parent->addChild(node);
    m_rebuilding = false;
    if (!key.isEmpty())
        m_keys.insert(key.toLower(), node);
    m_lastAdded = node;
    m_lastParent = nullptr;
    return node;
}

void TreeView::AddChildren(const QString &relativeKey, NodeKind kind, const QStringList &texts,
                           int image, int selectedImage, const QList<qint64> &rows)
{
    if (texts.isEmpty())
        return;
    QTreeWidgetItem *parent = Node(relativeKey);
    if (!parent)
        throw std::invalid_argument("Element not found");
    if (parent->isExpanded()) {
        RealizeChildren(parent);
        m_lastAdded = insertChildren(parent, kind, texts, rows, image, selectedImage);
        m_lastParent = nullptr;
        return;
    }
    auto waiting = m_waiting.find(parent);
    if (waiting != m_waiting.end() &&
        (waiting->kind != kind || waiting->image != image ||
         waiting->selectedImage != selectedImage || waiting->rows.isEmpty() != rows.isEmpty())) {
        RealizeChildren(parent);
        waiting = m_waiting.end();
    }
    if (waiting == m_waiting.end()) {
        m_waiting.insert(parent, Waiting{kind, texts, rows, image, selectedImage});
        parent->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    } else {
        waiting->texts += texts;
        waiting->rows += rows;
    }
    m_lastAdded = nullptr;
    m_lastParent = parent;
}

QTreeWidgetItem *TreeView::LastAdded()
{
    if (m_lastParent)
        RealizeChildren(m_lastParent);
    return m_lastAdded;
}

void TreeView::RealizeChildren(QTreeWidgetItem *node)
{
    const auto waiting = m_waiting.constFind(node);
    if (waiting == m_waiting.cend())
        return;
    const Waiting children = *waiting;
    m_waiting.erase(waiting);
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    QTreeWidgetItem *last = insertChildren(node, children.kind, children.texts, children.rows,
                                           children.image, children.selectedImage);
    if (node == m_lastParent) {
        m_lastAdded = last;
        m_lastParent = nullptr;
    }
}

int TreeView::ChildCount(const QTreeWidgetItem *node) const
{
    if (!node)
        return 0;
    const auto waiting = m_waiting.constFind(node);
    return node->childCount() + int(waiting == m_waiting.cend() ? 0 : waiting->texts.size());
}

QTreeWidgetItem *TreeView::insertChildren(QTreeWidgetItem *parent, NodeKind kind,
                                          const QStringList &texts, const QList<qint64> &rows,
                                          int image, int selectedImage)
{
    // One icon shared by every recipe node, and one insertion for the whole category.
    const QIcon icon = nodeIcon(image, selectedImage);
    QList<QTreeWidgetItem *> nodes;
    nodes.reserve(texts.size());
    const bool withRows = rows.size() == texts.size();
    for (qsizetype i = 0; i < texts.size(); ++i) {
        auto *node = new TreeNode(kind, QString(), texts[i], image, selectedImage, icon);
        if (withRows)
            node->setRow(rows[i]);
        nodes.append(node);
    }
    const bool rebuilding = m_rebuilding;
    m_rebuilding = true;
    parent->addChildren(nodes);
    m_rebuilding = rebuilding;
    return nodes.last();
}

void TreeView::EnsureVisible(QTreeWidgetItem *node)
{
    if (!node)
        return;
    m_rebuilding = true;
    for (QTreeWidgetItem *p = node->parent(); p; p = p->parent())
        p->setExpanded(true);
    scrollToItem(node);
    m_rebuilding = false;
}

QTreeWidgetItem *TreeView::Node(const QString &key) const
{
    return m_keys.value(key.toLower(), nullptr);
}

QString TreeView::Key(const QTreeWidgetItem *node)
{
    return node ? node->data(0, KeyRole).toString() : QString();
}

NodeKind TreeView::Kind(const QTreeWidgetItem *node)
{
    return node ? NodeKind(node->data(0, KindRole).toInt()) : NodeKind::Root;
}

std::optional<qint64> TreeView::Row(const QTreeWidgetItem *node)
{
    const QVariant row = node ? node->data(0, RowRole) : QVariant();
    return row.isValid() ? std::optional<qint64>(row.toLongLong()) : std::nullopt;
}

QTreeWidgetItem *TreeView::ChildOfRow(QTreeWidgetItem *parent, qint64 row)
{
    if (!parent)
        return nullptr;
    RealizeChildren(parent);
    for (int i = 0; i < parent->childCount(); ++i) {
        if (Row(parent->child(i)) == row)
            return parent->child(i);
    }
    return nullptr;
}

} // namespace vb
