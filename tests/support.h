// Helpers shared by several tests: outlines written as text, tree-file records built by hand and, for the
// window tests and benchmarks, the main window's controls found by objectName.
#pragma once

#include "document/outline.h"
#include "document/outlinemodel.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>

namespace support {

// Outlines are written as captions separated by blanks, children in brackets: "A[B[C] D] E".
inline void buildOutline(OutlineModel &tree, const QString &text)
{
    OutlineNode *container = tree.root();
    OutlineNode *last = nullptr;
    QString name;
    auto flush = [&] {
        if (!name.isEmpty()) {
            last = new OutlineNode(name);
            container->addChild(last);
            name.clear();
        }
    };
    for (const QChar c : text) {
        if (c == QLatin1Char('[')) {
            flush();
            container = last;
        } else if (c == QLatin1Char(']')) {
            flush();
            last = container;
            container = container->parent() != nullptr ? container->parent() : tree.root();
        } else if (c == QLatin1Char(' ')) {
            flush();
        } else {
            name += c;
        }
    }
    flush();
}

// The outline below container in the notation of buildOutline.
inline QString describe(const OutlineNode *container)
{
    QStringList parts;
    for (int i = 0; i < container->childCount(); ++i) {
        const OutlineNode *child = container->child(i);
        QString part = child->caption();
        if (child->childCount() > 0) {
            part += QLatin1Char('[') + describe(child) + QLatin1Char(']');
        }
        parts << part;
    }
    return parts.join(QLatin1Char(' '));
}

inline QString describe(const OutlineModel &tree)
{
    return describe(tree.root());
}

// The first node in display order with this caption, or null.
inline OutlineNode *findNode(const OutlineModel &tree, const QString &caption)
{
    OutlineNode *found = nullptr;
    outline::walk(tree, [&](OutlineNode *node, int) {
        if (found == nullptr && !caption.isEmpty() && node->caption() == caption) {
            found = node;
        }
    });
    return found;
}

// Every node in display order.
inline std::vector<OutlineNode *> nodesOf(const OutlineModel &tree)
{
    std::vector<OutlineNode *> nodes;
    outline::walk(tree, [&](OutlineNode *node, int) { nodes.push_back(node); });
    return nodes;
}

// A new leaf with a caption and a category.
inline OutlineNode *leaf(const QString &caption, const QByteArray &category)
{
    auto *node = new OutlineNode(caption);
    node->record()->setCategory(category);
    return node;
}

// The outline the Groups tests share:
// A  (Memo)
//   B  (memo)        parent of C
//     C  (Memo )
//   D  ("")
// E  (Memo)
// F  (Café)
inline void buildGroupsSample(OutlineModel &tree)
{
    OutlineNode *a = leaf(QStringLiteral("A"), "Memo");
    OutlineNode *b = leaf(QStringLiteral("B"), "memo");
    tree.root()->addChild(a);
    a->addChild(b);
    b->addChild(leaf(QStringLiteral("C"), "Memo "));
    a->addChild(leaf(QStringLiteral("D"), ""));
    tree.root()->addChild(leaf(QStringLiteral("E"), "Memo"));
    tree.root()->addChild(leaf(QStringLiteral("F"), QByteArray("Caf\xe9")));
}

inline QByteArray le32(qint32 v)
{
    const auto u = quint32(v);
    QByteArray b;
    b.append(char(u & 0xff)).append(char((u >> 8) & 0xff)).append(char((u >> 16) & 0xff)).append(char(u >> 24));
    return b;
}

// One tree-file record built by hand, independent of the writer: padding bytes are given explicitly, and
// the length bytes may lie.
inline QByteArray recordBytes(const QByteArray &caption, qint32 level, const QByteArray &category,
                              const QByteArray &text, char pad = '\0', int captionLengthByte = -1,
                              int categoryLengthByte = -1)
{
    QByteArray r;
    r.append(char(captionLengthByte < 0 ? caption.size() : captionLengthByte));
    r.append(caption.left(255));
    r.append(QByteArray(255 - qMin<qsizetype>(caption.size(), 255), pad));
    r.append(le32(level));
    r.append(char(categoryLengthByte < 0 ? category.size() : categoryLengthByte));
    r.append(category.left(20));
    r.append(QByteArray(20 - qMin<qsizetype>(category.size(), 20), pad));
    r.append(le32(qint32(text.size())));
    r.append(text);
    return r;
}

// A whole tree file of these records, its count as given or the number of records.
inline QByteArray treeFileBytes(const QList<QByteArray> &records, qint32 count = -1)
{
    QByteArray out = le32(count < 0 ? qint32(records.size()) : count);
    for (const QByteArray &record : records) {
        out.append(record);
    }
    return out;
}

// A device that takes limit bytes and then refuses every write, like a disk that fills up; data holds what
// it took.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 limit) : limit_(limit) { open(QIODevice::WriteOnly); }
    QByteArray data;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *p, qint64 n) override
    {
        const qint64 room = limit_ - data.size();
        if (room <= 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 take = qMin(room, n);
        data.append(p, take);
        return take;
    }

private:
    qint64 limit_;
};

} // namespace support

#ifdef QT_WIDGETS_LIB
// The window part: only for tests and benchmarks that link the windows.
#include "app/Main.h"
#include "app/Options.h"
#include "app/Unit2.h"
#include "app/completingcombo.h"
#include "app/findcontroller.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "app/updown.h"

#include <QAction>
#include <QButtonGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QtGlobal>

// Every control of a TForm1, by the name the window gives it. A control that is missing stops the
// program with its name: a test cannot go on without it.
namespace support {

struct FormParts
{
    explicit FormParts(TForm1 &form) : form_(form) {}

    // The child of the window of type T with this objectName.
    template<class T>
    T *find(const char *name) const
    {
        T *part = form_.findChild<T *>(QLatin1String(name));
        if (part == nullptr) {
            qFatal("The window has no %s named \"%s\"", T::staticMetaObject.className(), name);
        }
        return part;
    }

    // The secondary windows exist once createSecondaryForms (or the command showing them) has run.
    TOptionsForm *OptionsForm() const { return find<TOptionsForm>("OptionsForm"); }
    TForm2 *Form2() const { return find<TForm2>("Form2"); }

private:
    TForm1 &form_;

public:
    QMenu *FileMenu = find<QMenu>("FileMenu");
    QAction *New1 = find<QAction>("New1");
    QAction *Open1 = find<QAction>("Open1");
    QAction *Save1 = find<QAction>("Save1");
    QAction *SaveAs1 = find<QAction>("SaveAs1");
    QAction *Options1 = find<QAction>("Options1");
    QAction *Exit1 = find<QAction>("Exit1");
    QMenu *EditMenu = find<QMenu>("EditMenu");
    QAction *Undo1 = find<QAction>("Undo1");
    QAction *Redo1 = find<QAction>("Redo1");
    QMenu *Node1 = find<QMenu>("Node1");
    QAction *MoveLeft1 = find<QAction>("MoveLeft1");
    QAction *MoveRight1 = find<QAction>("MoveRight1");
    QAction *MoveUp1 = find<QAction>("MoveUp1");
    QAction *MoveDown1 = find<QAction>("MoveDown1");
    QAction *Add1 = find<QAction>("Add1");
    QAction *AddChild1 = find<QAction>("AddChild1");
    QAction *AddAbove1 = find<QAction>("AddAbove1");
    QAction *Remove1 = find<QAction>("Remove1");
    QAction *ImportText1 = find<QAction>("ImportText1");
    QAction *ExportText1 = find<QAction>("ExportText1");
    QMenu *Help1 = find<QMenu>("Help1");
    QAction *Contents1 = find<QAction>("Contents1");
    QAction *About1 = find<QAction>("About1");

    QToolBar *StandardToolBar = find<QToolBar>("StandardToolBar");
    QToolButton *NewTreeButton = find<QToolButton>("ToolButton1");
    QToolButton *OpenButton = find<QToolButton>("OpenButton");
    QToolButton *SaveButton = find<QToolButton>("SaveButton");
    QToolButton *MoveLeftButton = find<QToolButton>("ToolButton3");
    QToolButton *MoveRightButton = find<QToolButton>("ToolButton4");
    QToolButton *AddLeafButton = find<QToolButton>("CutButton");
    QToolButton *AddLeafBelowButton = find<QToolButton>("CopyButton");
    QToolButton *AddLeafAboveButton = find<QToolButton>("PasteButton");
    QToolButton *PruneButton = find<QToolButton>("UndoButton");
    QToolButton *ImportTextButton = find<QToolButton>("ToolButton6");
    QToolButton *ExportTextButton = find<QToolButton>("ToolButton7");
    CompletingComboBox *TreeViewComboBox = find<CompletingComboBox>("TreeViewComboBox");
    CompletingComboBox *FontName = find<CompletingComboBox>("FontName");
    QLineEdit *FontSize = find<QLineEdit>("FontSize");
    UpDown *UpDown1 = find<UpDown>("UpDown1");
    QToolButton *BoldButton = find<QToolButton>("BoldButton");
    QToolButton *ItalicButton = find<QToolButton>("ItalicButton");
    QToolButton *UnderlineButton = find<QToolButton>("UnderlineButton");
    QToolButton *LeftAlign = find<QToolButton>("LeftAlign");
    QToolButton *CenterAlign = find<QToolButton>("CenterAlign");
    QToolButton *RightAlign = find<QToolButton>("RightAlign");
    QButtonGroup *AlignGroup = find<QButtonGroup>("AlignGroup");
    QToolButton *BulletsButton = find<QToolButton>("BulletsButton");

    QTabWidget *PageControl = find<QTabWidget>("PageControl");
    FindController *Finder = find<FindController>("Finder");
    QWidget *TreeViewPage = find<QWidget>("TreeViewPage");
    QSplitter *Splitter2 = find<QSplitter>("Splitter2");
    OutlineTree *TreeView1 = find<OutlineTree>("TreeView1");
    LeafEditor *RichEdit1 = find<LeafEditor>("RichEdit1");
    QWidget *Panel1 = find<QWidget>("Panel1");
    QWidget *CategoryViewPage = find<QWidget>("CategoryViewPage");
    QWidget *Panel3 = find<QWidget>("Panel3");
    CompletingComboBox *CatViewComboBox = find<CompletingComboBox>("CatViewComboBox");
    QPushButton *ShowAllItemsBtn = find<QPushButton>("ShowAllItemsBtn");
    QPushButton *ShowItemsBtn = find<QPushButton>("ShowItemsBtn");
    QPushButton *AssignCatBtn = find<QPushButton>("AssignCatBtn");
    QListWidget *ListBox = find<QListWidget>("ListBox");
    QSplitter *Splitter1 = find<QSplitter>("Splitter1");
    LeafEditor *RichEdit2 = find<LeafEditor>("RichEdit2");
    QStatusBar *StatusBar1 = find<QStatusBar>("StatusBar1");
};

// The entries of a list box, top to bottom.
inline QStringList listTexts(const QListWidget &list)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row) {
        texts.append(list.item(row)->text());
    }
    return texts;
}

} // namespace support

using support::FormParts;
#endif
