// The display options dialog: lines, expand buttons and root decorations of the outline tree.
#pragma once

#include <QWidget>

class QCheckBox;
class QPushButton;
class QShowEvent;
class OutlineTree;

// Holds no settings of its own: reads the tree's three settings each time it is shown and writes
// the changed ones back on Apply or OK. Modeless; closing it only hides it.
class TOptionsForm : public QWidget
{
    Q_OBJECT

public:
    explicit TOptionsForm(OutlineTree *tree, QWidget *parent = nullptr);

    QCheckBox *ShowLinesChk = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *ApplyBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
    QCheckBox *ShowButtonsChk = nullptr;
    QCheckBox *ShowRootChk = nullptr;

    void FormShow();
    void ApplyBtnClick();
    void OKBtnClick();
    void CancelBtnClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    OutlineTree *tree_;
};
