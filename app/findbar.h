// The find field at the bottom of the Tree page: searches the outline as you type and steps through the matches.
#pragma once

#include "document/findindex.h"

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QTimer;

// What the find field needs from the window. It knows no tree: leaves are records in display order.
struct FindHost
{
    // The index, or null while it is being built (the field waits for indexReady()).
    std::function<FindIndex *()> index;
    // Every leaf in display order.
    std::function<FindIndex::Leaves()> leaves;
    // The selected leaf, or null.
    std::function<FindIndex::Key()> selected;
    // Brings the index up to date with text typed in the editor and not yet stored.
    std::function<void()> storeEdits;
    // Selects the leaf through the normal selection path and marks the query in its text.
    std::function<void(FindIndex::Key, const QString &query)> goTo;
    // Gives the keyboard back to the editor.
    std::function<void()> leave;
};

class FindBar : public QWidget
{
    Q_OBJECT

public:
    // Leaves scanned between two looks at the event loop, so typing never waits long for a search.
    static constexpr int LeavesPerStep = 4096;

    FindBar(FindHost host, QWidget *parent = nullptr);

    // Shows the field with the keyboard in it, its text selected.
    void open();
    // Hides the field and gives the keyboard back to the editor.
    void close();
    // Goes to the next (or previous) matching leaf from the selected one, wrapping at either end.
    void step(bool forward);

    // The index has been built or rebuilt: an open search runs again.
    void indexReady();

    QLineEdit *field() const { return field_; }
    QLabel *label() const { return label_; }
    // True while a search is still scanning leaves.
    bool isSearching() const { return scanned_ < order_.size(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Starts a search over every leaf, beginning at the selected one; goFirst goes to the first match.
    void start(bool goFirst);
    void scanStep();
    void finishScan();
    void showCount();
    int selectedPosition() const;
    // Stores the editor's text and brings the index up to date; false when leaves or texts changed
    // since the search began, or no index is ready.
    bool isUpToDate();

    FindHost host_;
    QLineEdit *field_ = nullptr;
    QLabel *label_ = nullptr;
    QTimer *timer_ = nullptr;

    QString query_;
    QByteArray folded_;
    std::vector<FindIndex::Key> order_;
    std::vector<const void *> entries_; // the index's entries of order_, in the same order
    std::vector<int> positions_; // matching positions in order_, ascending once the scan is done
    size_t startAt_ = 0;         // where the scan began
    size_t scanned_ = 0;         // how many leaves it has looked at
    bool goFirst_ = false;       // go to the first match the scan finds
    int shown_ = -1;             // the position gone to last
};
