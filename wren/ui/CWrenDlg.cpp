#include <wren/ui/CWrenDlg.h>
#include <wren/ui/FamilyPictures.h>
#include <wren/ui/FamilyStarter.h>

#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace wren {

namespace {

// The resource's layout in dialog units: 232 x 206.
constexpr int kWidth = 232, kHeight = 206;
constexpr int kPictureW = 100, kPictureH = 130, kLeftX = 10, kRightX = 122, kPictureY = 10;
constexpr int kMark = 3;  // the hover frame stands this far around its picture

void name(QWidget* w, int id) { w->setObjectName(QString("c%1").arg(id)); }

QFrame* hoverFrame(QWidget* parent, int id)
{
    auto* f = new QFrame(parent);
    name(f, id);
    f->setFrameStyle(QFrame::Box | QFrame::Plain);
    f->setLineWidth(3);
    QPalette pal = f->palette();
    pal.setColor(QPalette::WindowText, QColor(128, 128, 128));
    f->setPalette(pal);
    f->setAttribute(Qt::WA_TransparentForMouseEvents);
    f->hide();
    return f;
}

}  // namespace

CWrenDlg::CWrenDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("wrenDialog");
    setWindowTitle("Aviary: Select a drive family !");
    setWindowIcon(selectorIcon());
    setMouseTracking(true);
    const QPoint size = dluToPixels(kWidth, kHeight);
    setFixedSize(size.x(), size.y());

    const QPoint pic = dluToPixels(kPictureW, kPictureH);
    left_ = new QLabel(this);
    right_ = new QLabel(this);
    name(left_, LeftPicture);
    name(right_, RightPicture);
    left_->setPixmap(rhxPicture(QSize(pic.x(), pic.y())));
    right_->setPixmap(lm3Picture(QSize(pic.x(), pic.y())));
    for (QLabel* l : {left_, right_}) l->setAttribute(Qt::WA_TransparentForMouseEvents);
    place(left_, kLeftX, kPictureY, kPictureW, kPictureH);
    place(right_, kRightX, kPictureY, kPictureW, kPictureH);

    leftFrame_ = hoverFrame(this, LeftFrame);
    rightFrame_ = hoverFrame(this, RightFrame);
    place(leftFrame_, kLeftX - kMark, kPictureY - kMark, kPictureW + 2 * kMark, kPictureH + 2 * kMark);
    place(rightFrame_, kRightX - kMark, kPictureY - kMark, kPictureW + 2 * kMark, kPictureH + 2 * kMark);

    auto* rhx = new QPushButton("&RHX/RQ9000", this);
    auto* lm3 = new QPushButton("&LM3", this);
    auto* cancel = new QPushButton("Cancel", this);
    name(rhx, RhxButton);
    name(lm3, Lm3Button);
    name(cancel, CancelButton);
    place(rhx, kLeftX + 15, 150, kPictureW - 30, 14);
    place(lm3, kRightX + 15, 150, kPictureW - 30, 14);
    place(cancel, (kWidth - 50) / 2, 182, 50, 14);
    connect(rhx, &QPushButton::clicked, this, [this] { choose(RhxFamily); });
    connect(lm3, &QPushButton::clicked, this, [this] { choose(Lm3Family); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QPoint CWrenDlg::dluToPixels(int x, int y) const
{
    const QFontMetrics fm = fontMetrics();
    return {x * fm.averageCharWidth() / 4, y * fm.height() / 8};
}

void CWrenDlg::place(QWidget* w, int x, int y, int cx, int cy) const
{
    const QPoint at = dluToPixels(x, y);
    const QPoint extent = dluToPixels(cx, cy);
    w->setGeometry(at.x(), at.y(), extent.x(), extent.y());
}

QWidget* CWrenDlg::control(int id) const { return findChild<QWidget*>(QString("c%1").arg(id)); }

void CWrenDlg::choose(int family)
{
    choice_ = family;
    accept();
}

void CWrenDlg::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const bool onLeft = left_->geometry().contains(at);
    const bool onRight = right_->geometry().contains(at);
    leftFrame_->setVisible(onLeft);
    rightFrame_->setVisible(onRight);
    choice_ = onLeft ? RhxFamily : onRight ? Lm3Family : NoFamily;
    QDialog::mouseMoveEvent(event);
}

void CWrenDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && choice_ != NoFamily) {
        accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CWrenDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addSeparator();
    menu.addAction("&About Aviary StartUp...", this, &CWrenDlg::showAbout);
    menu.exec(event->globalPos());
}

void CWrenDlg::showAbout()
{
    CWrenAboutDlg about(this);
    about.exec();
}

CWrenAboutDlg::CWrenAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("wrenAboutDialog");
    setWindowTitle("About Aviary StartUp");
    auto* icon = new QLabel;
    icon->setPixmap(aboutPicture());
    auto* text = new QLabel("Aviary Startup  V1.0");
    text->setObjectName("aboutText");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(10);
    top->addWidget(text, 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(buttons);
}

}  // namespace wren
