// The display options dialog: copies the tree's settings in on showing, writes them back on Apply.
#include "app/Options.h"

#include "app/guard.h"
#include "app/outlinetree.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace {

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption, int top)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(32, top, 97, 17);
    return box;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, int top)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(184, top, 73, 25);
    // Neither button is the default: Enter has no dialog-wide meaning here.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

} // namespace

TOptionsForm::TOptionsForm(OutlineTree *tree, QWidget *parent) : QWidget(parent, Qt::Dialog), tree_(tree)
{
    setObjectName(QStringLiteral("OptionsForm"));
    setWindowTitle(QStringLiteral("OptionsForm"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    // 298 x 178 outside: the client area left inside a usual frame and title bar.
    resize(290, 151);

    // Created in tab order: Show Lines, the three buttons, then Show Buttons and Show Root.
    ShowLinesChk = checkBox(this, "ShowLinesChk", QStringLiteral("Show Lines"), 32);
    OKBtn = button(this, "OKBtn", QStringLiteral("&OK"), 24);
    ApplyBtn = button(this, "ApplyBtn", QStringLiteral("&Apply"), 56);
    CancelBtn = button(this, "CancelBtn", QStringLiteral("&Cancel"), 88);
    ShowButtonsChk = checkBox(this, "ShowButtonsChk", QStringLiteral("Show Buttons"), 64);
    ShowRootChk = checkBox(this, "ShowRootChk", QStringLiteral("Show Root"), 96);
    setTabOrder(ShowLinesChk, OKBtn);
    setTabOrder(OKBtn, ApplyBtn);
    setTabOrder(ApplyBtn, CancelBtn);
    setTabOrder(CancelBtn, ShowButtonsChk);
    setTabOrder(ShowButtonsChk, ShowRootChk);

    connect(OKBtn, &QPushButton::clicked, this, [this] { guarded([this] { OKBtnClick(); }); });
    connect(ApplyBtn, &QPushButton::clicked, this, [this] { guarded([this] { ApplyBtnClick(); }); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { guarded([this] { CancelBtnClick(); }); });

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TOptionsForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window system's own show (restoring from the task bar) is no new showing.
    if (!event->spontaneous()) {
        guarded([this] { FormShow(); });
    }
}

void TOptionsForm::FormShow()
{
    ShowLinesChk->setChecked(tree_->linesShown());
    ShowButtonsChk->setChecked(tree_->buttonsShown());
    ShowRootChk->setChecked(tree_->rootIsDecorated());
}

void TOptionsForm::ApplyBtnClick()
{
    // Only changed settings are switched; the tree keeps its leaves, selection and expansion.
    if (tree_->linesShown() != ShowLinesChk->isChecked()) {
        tree_->setLinesShown(ShowLinesChk->isChecked());
    }
    if (tree_->buttonsShown() != ShowButtonsChk->isChecked()) {
        tree_->setButtonsShown(ShowButtonsChk->isChecked());
    }
    if (tree_->rootIsDecorated() != ShowRootChk->isChecked()) {
        tree_->setRootIsDecorated(ShowRootChk->isChecked());
    }
}

void TOptionsForm::OKBtnClick()
{
    ApplyBtnClick();
    hide();
}

void TOptionsForm::CancelBtnClick()
{
    hide();
}
