// The About dialog's fixed layout and its one button.
#include "app/Unit2.h"

#include "app/guard.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

namespace {

QLabel *textLine(QWidget *parent, const char *name, const QString &text, int top)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(QFont(QStringLiteral("Verdana"), 10));
    label->adjustSize();
    label->setGeometry(132, top, label->width(), 20);
    return label;
}

} // namespace

TForm2::TForm2(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("About Quillax"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setModal(false);
    resize(474, 446);

    // The banner is drawn unscaled from the control's corner, so its first 4 columns fall outside.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(-4, 0, 481, 133);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap(QStringLiteral(":/images/banner.png")));

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(40, 152, 64, 64);
    Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image2->setPixmap(QPixmap(QStringLiteral(":/icons/quillax-64.png")));

    StaticText1 = textLine(this, "StaticText1", QStringLiteral("Quillax"), 140);
    StaticText2 = textLine(this, "StaticText2", QStringLiteral("Version 1.2 (build 2643)"), 156);
    StaticText4 = textLine(this, "StaticText4", QStringLiteral("Copyright \u00A9 the Quillax developers"), 172);
    StaticText3 = textLine(this, "StaticText3", QStringLiteral("Free to use, copy and share."), 196);
    StaticText5 = textLine(this, "StaticText5", QStringLiteral("Help > Contents opens the guide."), 212);

    OKButton1 = new QPushButton(QStringLiteral("OK"), this);
    OKButton1->setObjectName(QStringLiteral("OKButton1"));
    QFont bold(QStringLiteral("MS Sans Serif"), 8);
    bold.setBold(true);
    OKButton1->setFont(bold);
    OKButton1->setGeometry(164, 412, 301, 29);
    OKButton1->setDefault(true);
    OKButton1->setFocus();
    connect(OKButton1, &QPushButton::clicked, this, [this] { guarded([this] { OKButton1Click(); }); });

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TForm2::OKButton1Click()
{
    hide();
}

void TForm2::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
