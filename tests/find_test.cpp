// Tests of finding: the text-only pass over a leaf's bytes, the folded index, the order of matches, the tool's
// find command and the find field of the window.
#include "app/Main.h"
#include "app/findbar.h"
#include "app/findcontroller.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "document/outlinemodel.h"
#include "document/findindex.h"
#include "document/findtool.h"
#include "document/treefile.h"
#include "document/treetool.h"
#include "text/finding.h"
#include "text/richtext.h"
#include "text/rtf/plaintext.h"
#include "text/rtf/rtfreader.h"
#include "support.h"

#include <QAction>
#include <QMenu>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextStream>
#include <QtTest>

namespace {

QByteArray rtfOf(const QByteArray &body)
{
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}}" + body + "\\par\r\n}\r\n";
}

// The reader's text with paragraph and line breaks as spaces, as finding sees it.
QString readersText(const QByteArray &bytes)
{
    QTextDocument document;
    rtf::read(bytes, document);
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char(' ')).replace(QChar::LineSeparator, QLatin1Char(' '));
    return text;
}

FindIndex::Key key(int n)
{
    // Keys are only compared, never followed.
    return reinterpret_cast<FindIndex::Key>(quintptr(n) * 8 + 8);
}

} // namespace

class FindTest : public QObject
{
    Q_OBJECT

private slots:
    void shownTextIsWhatTheReaderShows_data();
    void shownTextIsWhatTheReaderShows();
    void plainTextLeavesAreDecodedAsTheEditorShowsThem();
    void hostileNestingIsReadWithoutRecursion();
    void matchesCaptionsAndTextsInAnyLetterCase();
    void matchesComeInDisplayOrderAndWrap();
    void storedTextReplacesTheIndexedText();
    void toolPrintsCaptionPathsAndExitStatus();
    void editorSelectionCoversTheFoundWords();
    void indexToolAndEditorAgreeOnWhatMatches_data();
    void indexToolAndEditorAgreeOnWhatMatches();
    void findFieldKeysStepThroughMatchesAndWrap();
    void findFieldFindsTextNotYetStored();
    void windowGoesToMatchesThroughTheTreeAndEditor();
};

void FindTest::shownTextIsWhatTheReaderShows_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("shown");
    QTest::newRow("split runs") << QByteArray("cl{\\b ove}\\i s\\i0  and more") << QStringLiteral("cloves and more");
    QTest::newRow("escapes") << QByteArray("caf\\'e9 \\{x\\} a\\\\b\\~c\\emdash d") << QStringLiteral("café {x} a\\b\u00a0c\u2014d");
    QTest::newRow("font code page") << QByteArray("{\\f1 \\'cf\\'f0\\'e8}") << QStringLiteral("При");
    QTest::newRow("unicode with fallback") << QByteArray("\\uc1\\u1055?\\u1088?{\\uc2\\u1080\\'3f\\'3f}x")
                                           << QStringLiteral("Приx");
    QTest::newRow("field result shown, instruction not")
        << QByteArray("see {\\field{\\*\\fldinst HYPERLINK \"http://a.example\"}{\\fldrslt the {\\b link}}} here")
        << QStringLiteral("see the link here");
    QTest::newRow("hidden text left out") << QByteArray("shown{\\v secret} also\\v  gone\\v0  back")
                                          << QStringLiteral("shown also back");
    QTest::newRow("skipped destinations") << QByteArray("{\\*\\unknown x}{\\header head}body")
                                          << QStringLiteral("body");
    QTest::newRow("notes after the text") << QByteArray("a\\chftn{\\footnote\\ftnalt\\chftn  end}b\\chftn{\\footnote foot}c")
                                          << QStringLiteral("a1b1c 1 foot 1 end");
    QTest::newRow("line breaks as spaces") << QByteArray("one\\line two\\par three\\tab four")
                                           << QStringLiteral("one two three\tfour");
}

void FindTest::shownTextIsWhatTheReaderShows()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, shown);
    const QByteArray bytes = rtfOf(body);
    const QString text = richtext::shownText(bytes).trimmed();
    QCOMPARE(text, shown);
    QCOMPARE(text, readersText(bytes).trimmed());
}

void FindTest::plainTextLeavesAreDecodedAsTheEditorShowsThem()
{
    QCOMPARE(richtext::shownText(QStringLiteral("Zoë\r\nline").toUtf8()), QStringLiteral("Zoë  line"));
    QCOMPARE(richtext::shownText(QByteArray("Zo\xeb")), QStringLiteral("Zoë"));
    QByteArray utf16("\xff\xfe");
    for (const QChar c : QStringLiteral("Ωmega")) {
        utf16.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
    }
    QCOMPARE(richtext::shownText(utf16), QStringLiteral("Ωmega"));
    // White space before the group does not stop the text being read as RTF.
    QCOMPARE(richtext::shownText(" \r\n{\\rtf1 {\\b x}y}"), QStringLiteral("xy"));
}

void FindTest::hostileNestingIsReadWithoutRecursion()
{
    const int depth = 200000;
    QByteArray bytes = "{\\rtf1 a";
    bytes += QByteArray(depth, '{') + "b" + QByteArray(depth, '}') + "c}";
    QCOMPARE(richtext::shownText(bytes), QStringLiteral("abc"));
}

void FindTest::matchesCaptionsAndTextsInAnyLetterCase()
{
    FindIndex index;
    index.set(key(1), QStringLiteral("Éclair"), {rtfOf("nothing here")});
    index.set(key(2), QStringLiteral("Plain"), {QByteArray("CAFÉ au lait")});
    index.set(key(3), QStringLiteral("Rich"), {rtfOf("caf\\'e9 {\\b NOIR}")});
    const std::vector<FindIndex::Key> order{key(1), key(2), key(3)};
    QCOMPARE(index.find(QStringLiteral("éCLAIR"), order), (std::vector<int>{0}));
    QCOMPARE(index.find(QStringLiteral("café"), order), (std::vector<int>{1, 2}));
    // Accents are not folded: "cafe" is another word.
    QCOMPARE(index.find(QStringLiteral("cafe"), order), (std::vector<int>{}));
    QCOMPARE(index.find(QStringLiteral("é noir"), order), (std::vector<int>{2}));
    QCOMPARE(index.find(QString(), order), (std::vector<int>{}));
    QVERIFY(index.matches(key(3), FindIndex::fold(QStringLiteral("Noir"))));
    QVERIFY(!index.matches(key(4), FindIndex::fold(QStringLiteral("Noir"))));
    // A caption changed after indexing is searched as it now reads.
    index.setCaption(key(1), QStringLiteral("Tart"));
    QCOMPARE(index.find(QStringLiteral("tart"), order), (std::vector<int>{0}));
}

void FindTest::matchesComeInDisplayOrderAndWrap()
{
    std::vector<FindIndex::Source> sources;
    for (int i = 0; i < 6; ++i) {
        sources.push_back({key(i), QStringLiteral("Leaf %1").arg(i), {rtfOf(i % 2 ? "odd" : "even")}});
    }
    const FindIndex index = FindIndex::buildInBackground(sources).result();
    QCOMPARE(index.size(), size_t(6));
    // The order the caller gives decides, not the order of indexing.
    const std::vector<FindIndex::Key> order{key(5), key(4), key(3), key(2), key(1), key(0)};
    const std::vector<int> odd = index.find(QStringLiteral("ODD"), order);
    QCOMPARE(odd, (std::vector<int>{0, 2, 4}));
    QCOMPARE(firstMatchFrom(odd, 1), 1);
    QCOMPARE(firstMatchFrom(odd, 5), 0);
    QCOMPARE(nextMatch(odd, 2, true), 2);
    QCOMPARE(nextMatch(odd, 4, true), 0);
    QCOMPARE(nextMatch(odd, -1, true), 0);
    QCOMPARE(nextMatch(odd, 2, false), 0);
    QCOMPARE(nextMatch(odd, 0, false), 2);
    QCOMPARE(nextMatch({}, 0, true), -1);
    QCOMPARE(firstMatchFrom({}, 0), -1);
}

void FindTest::storedTextReplacesTheIndexedText()
{
    OutlineModel tree;
    FindIndex::Leaves leaves;
    for (const char *text : {"old words", "other", "gone"}) {
        auto *node = new OutlineNode(QStringLiteral("Leaf"));
        node->record()->Notes = {rtfOf(text)};
        tree.root()->addChild(node);
        leaves.push_back(node);
    }
    FindIndex index = FindIndex::build(FindIndex::sourcesOf(leaves));
    std::vector<FindIndex::Key> order{FindIndex::keyOf(leaves[0]), FindIndex::keyOf(leaves[1])};
    leaves.pop_back();
    QCOMPARE(index.refresh(leaves), 0);
    QCOMPARE(index.size(), size_t(2));
    // A text stored in any way is read again; line breaks inside RTF are no text.
    leaves[0]->record()->Notes = {"{\\rtf1 new ", "words}"};
    tree.topLevelNode(1)->setCaption(QStringLiteral("Renamed"));
    QCOMPARE(index.refresh(leaves), 1);
    QCOMPARE(index.find(QStringLiteral("old"), order), (std::vector<int>{}));
    QCOMPARE(index.find(QStringLiteral("new words"), order), (std::vector<int>{0}));
    QCOMPARE(index.find(QStringLiteral("renamed"), order), (std::vector<int>{1}));
    QCOMPARE(index.refresh(leaves), 0);
    QVERIFY(index.memoryBytes() > 0);
}

void FindTest::toolPrintsCaptionPathsAndExitStatus()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.tre"));
    std::vector<TreeFileRecord> records;
    const auto add = [&records](const QByteArray &caption, int level, const QByteArray &text) {
        TreeFileRecord r;
        r.caption = caption;
        r.level = level;
        r.category = "Default";
        r.text = text;
        records.push_back(r);
    };
    add("Top", 0, rtfOf("apple"));
    add("Child \xe9t\xe9", 1, rtfOf("pear"));
    add("Grandchild", 2, rtfOf("{\\b AP}PLE pie"));
    add("Second", 0, "plain apple");
    add("Other", 0, rtfOf("none"));
    saveTreeRecords(path, records);

    const auto find = [&](const QString &file, const QString &text, QString &out) {
        QString err;
        QTextStream o(&out);
        QTextStream e(&err);
        const int code = treetool::find(file, text, o, e);
        o.flush();
        return code;
    };
    QString out;
    QCOMPARE(find(path, QStringLiteral("Apple"), out), 0);
    QCOMPARE(out, QStringLiteral("Top\nTop > Child été > Grandchild\nSecond\n"));
    out.clear();
    QCOMPARE(find(path, QStringLiteral("ÉTÉ"), out), 0);
    QCOMPARE(out, QStringLiteral("Top > Child été\n"));
    out.clear();
    QCOMPARE(find(path, QStringLiteral("plum"), out), 4);
    QVERIFY(out.isEmpty());
    QCOMPARE(find(dir.filePath(QStringLiteral("missing.tre")), QStringLiteral("a"), out), 1);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(file.size() - 3));
    file.close();
    out.clear();
    QCOMPARE(find(path, QStringLiteral("apple"), out), 3);
    QCOMPARE(out, QStringLiteral("Top\nTop > Child été > Grandchild\nSecond\n"));
}

void FindTest::editorSelectionCoversTheFoundWords()
{
    QTextDocument document;
    rtf::read(rtfOf("first line\\line SECOND {\\b Wo}rd\\par third"), document);
    const QTextCursor found = finding::find(document, QStringLiteral("line second word"));
    QVERIFY(!found.isNull());
    QCOMPARE(found.selectedText(), QStringLiteral("line\u2028SECOND Word"));
    const QTextCursor later = finding::find(document, QStringLiteral("LINE"), found.selectionStart() + 1);
    QVERIFY(later.isNull());
    QCOMPARE(finding::find(document, QStringLiteral("third")).selectedText(), QStringLiteral("third"));
    QVERIFY(finding::find(document, QString()).isNull());
}

void FindTest::indexToolAndEditorAgreeOnWhatMatches_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("selected");
    const QByteArray table = "\\trowd\\cellx2000\\cellx4000\\intbl first cell\\cell second cell\\cell\\row ";
    QTest::newRow("plain text, CR LF") << QByteArray("first line\r\nsecond line\r\n") << QStringLiteral("line second")
                                       << QStringLiteral("line\u2029second");
    QTest::newRow("a run of spaces is one") << QByteArray("first line\r\nsecond line") << QStringLiteral("line  second")
                                            << QStringLiteral("line\u2029second");
    QTest::newRow("plain text, CR and LF") << QByteArray("one\rtwo\nthree") << QStringLiteral("one two three")
                                           << QStringLiteral("one\u2029two\u2029three");
    QTest::newRow("across table cells") << rtfOf("before\\par " + table + "after") << QStringLiteral("cell second")
                                        << QString();
    QTest::newRow("from a table to the next paragraph")
        << rtfOf(table + "\\pard after") << QStringLiteral("second cell after") << QString();
    QTest::newRow("no-break space") << rtfOf("ten\\~km") << QStringLiteral("ten km") << QStringLiteral("ten\u00a0km");
    QTest::newRow("optional hyphen") << rtfOf("a hy\\-phen") << QStringLiteral("hyphen")
                                     << QStringLiteral("hy\u00adphen");
    QTest::newRow("non-breaking hyphen") << rtfOf("x\\_y") << QStringLiteral("x-y") << QStringLiteral("x\u2011y");
    QTest::newRow("sharp s folds to ss") << rtfOf("Stra\\'dfe") << QStringLiteral("STRASSE")
                                         << QStringLiteral("Stra\u00dfe");
    QTest::newRow("ss finds sharp s") << QStringLiteral("Die Straße").toUtf8() << QStringLiteral("strasse")
                                      << QStringLiteral("Straße");
    QTest::newRow("capital I with dot") << QStringLiteral("İstanbul").toUtf8() << QStringLiteral("istanbul")
                                        << QStringLiteral("İstanbul");
    QTest::newRow("ligature") << QStringLiteral("ﬁne").toUtf8() << QStringLiteral("FINE") << QStringLiteral("ﬁne");
    QTest::newRow("final sigma") << QStringLiteral("ΟΔΟΣ").toUtf8() << QStringLiteral("οδος")
                                 << QStringLiteral("ΟΔΟΣ");
    QTest::newRow("after a folded letter") << QStringLiteral("Maß und Ziel").toUtf8() << QStringLiteral("ZIEL")
                                           << QStringLiteral("Ziel");
    QTest::newRow("beyond the basic plane") << QStringLiteral("\U00010400x").toUtf8() << QStringLiteral("\U00010428X")
                                            << QStringLiteral("\U00010400x");
}

void FindTest::indexToolAndEditorAgreeOnWhatMatches()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, query);
    QFETCH(QString, selected);
    FindIndex index;
    index.set(key(1), QStringLiteral("Leaf"), {text});
    QCOMPARE(index.find(query, {key(1)}), (std::vector<int>{0}));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.tre"));
    TreeFileRecord record;
    record.caption = "Leaf";
    record.text = text;
    saveTreeRecords(path, {record});
    QString out;
    QString err;
    QTextStream o(&out);
    QTextStream e(&err);
    QCOMPARE(treetool::find(path, query, o, e), 0);

    // The editor selects the words the index matched, from the document the editor shows.
    QTextDocument document;
    richtext::loadBytes(document, text);
    const QTextCursor found = finding::find(document, query);
    QVERIFY(!found.isNull());
    // The selection starts where the match does; one across table cells selects the cells it touches.
    QVERIFY(found.hasSelection());
    QVERIFY(finding::searchable(document.toRawText().mid(found.anchor())).startsWith(finding::searchable(query)));
    if (!selected.isNull()) {
        QCOMPARE(found.selectedText(), selected);
    }
}

namespace {

// A window stand-in: leaves in a list, a selection, an editor text that is stored on request.
struct FakeOutline
{
    OutlineModel tree;
    std::vector<OutlineNode *> leaves;
    FindIndex index;
    FindIndex::Key selected = nullptr;
    QString unstored;         // text typed in the editor of the selected leaf, not yet stored
    int stores = 0;
    QStringList visits;       // captions gone to, with the query
    bool left = false;

    FindHost host()
    {
        FindHost h;
        h.index = [this] { return &index; };
        h.leaves = [this] { return FindIndex::Leaves(leaves.begin(), leaves.end()); };
        h.selected = [this] { return selected; };
        h.storeEdits = [this] {
            if (!unstored.isNull() && selected) {
                ++stores;
                const_cast<noteob *>(selected)->Notes = {unstored.toUtf8()};
                unstored = QString();
            }
        };
        h.goTo = [this](FindIndex::Key key, const QString &query) {
            selected = key;
            visits.append(caption(key) + QLatin1Char(':') + query);
        };
        h.leave = [this] { left = true; };
        return h;
    }
    QString caption(FindIndex::Key key) const
    {
        for (const OutlineNode *leaf : leaves) {
            if (FindIndex::keyOf(leaf) == key) {
                return leaf->caption();
            }
        }
        return QString();
    }
    void add(const QByteArray &text)
    {
        leaves.push_back(new OutlineNode(QStringLiteral("L%1").arg(leaves.size())));
        tree.root()->addChild(leaves.back());
        leaves.back()->record()->Notes = {text};
        index.set(FindIndex::keyOf(leaves.back()), leaves.back()->caption(), leaves.back()->record()->Notes);
    }
};

void type(QWidget *w, const QString &text)
{
    QTest::keyClicks(w, text);
}

} // namespace

void FindTest::findFieldKeysStepThroughMatchesAndWrap()
{
    FakeOutline outline;
    for (const char *text : {"apple", "pear", "APPLE pie", "plum", "apple tart"}) {
        outline.add(rtfOf(text));
    }
    outline.selected = FindIndex::keyOf(outline.leaves[1]);
    FindBar bar(outline.host());
    bar.show();
    bar.open();
    QLineEdit *field = bar.findChild<QLineEdit *>(QStringLiteral("FindEdit"));
    QVERIFY(field);
    QCOMPARE(field->accessibleName(), QStringLiteral("Find"));
    // Typing goes to the first match from the selected leaf onward.
    type(field, QStringLiteral("apple"));
    QTRY_VERIFY(!bar.isSearching());
    QCOMPARE(outline.caption(outline.selected), QStringLiteral("L2"));
    QCOMPARE(bar.label()->text(), QStringLiteral("2 of 3 leaves"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(outline.caption(outline.selected), QStringLiteral("L4"));
    QCOMPARE(bar.label()->text(), QStringLiteral("3 of 3 leaves"));
    QTest::keyClick(field, Qt::Key_F3);
    QCOMPARE(outline.caption(outline.selected), QStringLiteral("L0"));
    QTest::keyClick(field, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(outline.caption(outline.selected), QStringLiteral("L4"));
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(outline.caption(outline.selected), QStringLiteral("L2"));
    QCOMPARE(outline.visits.last(), QStringLiteral("L2:apple"));
    // Nothing matches: the selection stays and the label says so.
    type(field, QStringLiteral("x"));
    QTRY_VERIFY(!bar.isSearching());
    QCOMPARE(outline.caption(outline.selected), QStringLiteral("L2"));
    QCOMPARE(bar.label()->text(), QStringLiteral("No leaf matches"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(outline.caption(outline.selected), QStringLiteral("L2"));
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(!bar.isVisible());
    QVERIFY(outline.left);
}

void FindTest::findFieldFindsTextNotYetStored()
{
    FakeOutline outline;
    for (const char *text : {"one", "two", "three"}) {
        outline.add(rtfOf(text));
    }
    outline.selected = FindIndex::keyOf(outline.leaves[2]);
    outline.unstored = QStringLiteral("three and a kiwi");
    FindBar bar(outline.host());
    bar.show();
    bar.open();
    type(bar.field(), QStringLiteral("kiwi"));
    QTRY_VERIFY(!bar.isSearching());
    QCOMPARE(outline.stores, 1);
    QCOMPARE(outline.caption(outline.selected), QStringLiteral("L2"));
    QCOMPARE(bar.label()->text(), QStringLiteral("1 of 1 leaf"));
}

void FindTest::windowGoesToMatchesThroughTheTreeAndEditor()
{
    TForm1 w;
    const FormParts ui(w);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.ClearTree();
    const auto leaf = [&ui](const QString &caption, const QByteArray &text, OutlineNode *parent = nullptr) {
        auto record = std::make_shared<noteob>();
        record->Notes = {rtfOf(text)};
        record->setCategory(QStringLiteral("Memo"));
        auto *item = new OutlineNode(caption, record);
        if (parent) {
            parent->addChild(item);
        } else {
            ui.TreeView1->outline().root()->addChild(item);
        }
        return item;
    };
    OutlineNode *a = leaf(QStringLiteral("A"), "an apple pie");
    OutlineNode *b = leaf(QStringLiteral("B"), "the Apple tree", a);
    OutlineNode *c = leaf(QStringLiteral("C"), "pear");
    OutlineNode *d = leaf(QStringLiteral("Apple caption"), "nothing");
    ui.TreeView1->setExpanded(a, false);
    ui.TreeView1->setCurrentItem(c);
    // An edit typed but not yet stored.
    ui.RichEdit1->setFocus();
    ui.RichEdit1->moveCursor(QTextCursor::End);
    QTest::keyClicks(ui.RichEdit1, " and apple juice");

    QTest::keySequence(&w, QKeySequence::Find);
    FindBar *bar = ui.Finder->bar();
    QVERIFY(bar->isVisible());
    QCOMPARE(QApplication::focusWidget(), bar->field());
    QVERIFY(ui.FileMenu->actions().contains(ui.Finder->action()));
    QTest::keyClicks(bar->field(), QStringLiteral("APPLE"));
    QTRY_COMPARE(bar->label()->text(), QStringLiteral("3 of 4 leaves"));
    QCOMPARE(ui.TreeView1->currentItem(), c);
    QCOMPARE(ui.RichEdit1->textCursor().selectedText(), QStringLiteral("apple"));
    QCOMPARE(QApplication::focusWidget(), bar->field());

    QTest::keyClick(bar->field(), Qt::Key_Return);
    QCOMPARE(ui.TreeView1->currentItem(), d);
    QVERIFY(!ui.RichEdit1->textCursor().hasSelection());
    QTest::keyClick(bar->field(), Qt::Key_F3);
    QCOMPARE(ui.TreeView1->currentItem(), a);
    QCOMPARE(bar->label()->text(), QStringLiteral("1 of 4 leaves"));
    QTest::keyClick(bar->field(), Qt::Key_Return);
    QCOMPARE(ui.TreeView1->currentItem(), b);
    QVERIFY(ui.TreeView1->isExpanded(a));
    QCOMPARE(ui.RichEdit1->textCursor().selectedText(), QStringLiteral("Apple"));
    QTest::keyClick(bar->field(), Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(ui.TreeView1->currentItem(), a);
    // With the field closed, F3 and Shift+F3 still step through the matches, and open the field again.
    QTest::keyClick(bar->field(), Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QTest::keyClick(ui.RichEdit1, Qt::Key_F3);
    QCOMPARE(ui.TreeView1->currentItem(), b);
    QVERIFY(bar->isVisible());
    QTest::keyClick(bar->field(), Qt::Key_Escape);
    QTest::keyClick(ui.RichEdit1, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(ui.TreeView1->currentItem(), a);

    // Searching stored the edit as a leaf switch does, and changed no category.
    QCOMPARE(richtext::shownText(c->record()->Notes.join("\r\n")).trimmed(), QStringLiteral("pear and apple juice"));
    for (OutlineNode *item : {a, b, c, d}) {
        QCOMPARE(item->record()->categoryText(), QStringLiteral("Memo"));
    }
    QTest::keyClicks(bar->field(), QStringLiteral("zzz"));
    QTRY_COMPARE(bar->label()->text(), QStringLiteral("No leaf matches"));
    QCOMPARE(ui.TreeView1->currentItem(), a);
    // Escape takes the keyboard straight to the editor, through no other control.
    QList<QWidget *> focused;
    const QMetaObject::Connection spy =
        connect(qApp, &QApplication::focusChanged, [&](QWidget *, QWidget *now) { focused.append(now); });
    QTest::keyClick(bar->field(), Qt::Key_Escape);
    disconnect(spy);
    QVERIFY(!bar->isVisible());
    QCOMPARE(QApplication::focusWidget(), ui.RichEdit1);
    QCOMPARE(focused, QList<QWidget *>{ui.RichEdit1});
}

QTEST_MAIN(FindTest)

#include "find_test.moc"
