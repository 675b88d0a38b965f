#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QTreeWidget>

#include <optional>

namespace vb {

// A list of pictures addressed from 1, as the tree's nodes name them.
class ImageList
{
public:
    void Add(const QPixmap &picture) { m_pictures.append(picture); }
    int Count() const { return int(m_pictures.size()); }
    QPixmap Picture(int index) const; // 1-based; a null pixmap when out of range

private:
    QList<QPixmap> m_pictures;
};

// What a node is. The tree knows it for every node, so a recipe whose name is blank is still a
// recipe (its key and text do not tell it apart from a category).
enum class NodeKind
{
    Root,
    Category,
    Recipe
};

// The tree of categories and recipes: nodes with a key, a text, an image and a selected image.
//
// NodeClick is raised for a click on a node and equally for a move onto a node with the
// keyboard, so a person who never touches the mouse can pick recipes. Rebuilding the tree
// raises nothing.
//
// Children added with AddChildren to a node that is not expanded wait as texts and become
// nodes when it is first expanded, by the user or by EnsureVisible, LastAdded or
// RealizeChildren: a tree of 100,000 recipes is filled without making nodes nobody sees. Until
// then the node shows that it has children, but QTreeWidgetItem::childCount() does not count
// them; ChildCount does.
class TreeView : public QTreeWidget
{
    Q_OBJECT
public:
    enum Role
    {
        KeyRole = Qt::UserRole + 1,
        KindRole,
        ImageRole,
        SelectedImageRole,
        RowRole // a recipe's row in its table, when the load gave it
    };

    explicit TreeView(QWidget *parent = nullptr);

    void SetImageList(const ImageList *images) { m_images = images; }
    const ImageList *ImageListRef() const { return m_images; }

    // Removes every node.
    void Clear();
    // Adds a top-level node. Keys are unique without regard to case; "" means no key.
    QTreeWidgetItem *AddRoot(const QString &key, const QString &text, int image);
    // Adds a child at the end of the node with key relativeKey (error when there is none).
    QTreeWidgetItem *AddChild(const QString &relativeKey, NodeKind kind, const QString &key,
                              const QString &text, int image, int selectedImage);
    // Adds many children at once, all with the same images and no key (the recipes); rows, when
    // given, one per text, is what each node carries as its row (Row).
    void AddChildren(const QString &relativeKey, NodeKind kind, const QStringList &texts, int image,
                     int selectedImage, const QList<qint64> &rows = {});
    // Scrolls the node into view and expands its ancestors.
    void EnsureVisible(QTreeWidgetItem *node);
    // The node added last; children still waiting become nodes for it.
    QTreeWidgetItem *LastAdded();

    // Makes the node's waiting children into nodes, after any it has.
    void RealizeChildren(QTreeWidgetItem *node);
    // The node's children, waiting ones included.
    int ChildCount(const QTreeWidgetItem *node) const;

    QTreeWidgetItem *Node(const QString &key) const;
    static QString Key(const QTreeWidgetItem *node);
    static NodeKind Kind(const QTreeWidgetItem *node);
    static std::optional<qint64> Row(const QTreeWidgetItem *node);
    // The child of that row, its waiting siblings made into nodes first; null when none.
    QTreeWidgetItem *ChildOfRow(QTreeWidgetItem *parent, qint64 row);

signals:
    void NodeClick(QTreeWidgetItem *node);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QTreeWidgetItem *makeNode(NodeKind kind, const QString &key, const QString &text, int image,
                              int selectedImage) const;
    QIcon nodeIcon(int image, int selectedImage) const;
    // Makes and inserts the nodes (texts is never empty); the last of them.
    QTreeWidgetItem *insertChildren(QTreeWidgetItem *parent, NodeKind kind,
                                    const QStringList &texts, const QList<qint64> &rows, int image,
                                    int selectedImage);

    // Children added to a node that is not expanded, not made yet.
    struct Waiting
    {
        NodeKind kind;
        QStringList texts;
        QList<qint64> rows; // empty, or one per text
        int image;
        int selectedImage;
    };

    const ImageList *m_images = nullptr;
    QHash<QString, QTreeWidgetItem *> m_keys;          // keys folded to lower case
    QHash<const QTreeWidgetItem *, Waiting> m_waiting; // emptied by Clear, with the nodes
    QTreeWidgetItem *m_lastAdded = nullptr;
    QTreeWidgetItem *m_lastParent = nullptr; // set while the node added last is still waiting
    bool m_mousePress = false;
    bool m_rebuilding = false;
};

} // namespace vb
