#pragma once
// The selector dialog "Aviary: Select a drive family !" (resource 102): a
// picture and a button per family. Moving over a picture frames it and
// makes it the choice; a click while a picture is framed takes it, as does
// its button. Cancel and the close box end without a choice.
#include <QDialog>

class QFrame;
class QLabel;

namespace wren {

class CWrenDlg : public QDialog {
    Q_OBJECT
public:
    // Control identifiers of the resource, kept as object names "c<id>".
    enum Control { LeftPicture = 1008, RightPicture = 1009, LeftFrame = 1010, RightFrame = 1012,
                   RhxButton = 1003, Lm3Button = 1004, CancelButton = 2 };

    explicit CWrenDlg(QWidget* parent = nullptr);
    int choice() const { return choice_; }
    QWidget* control(int id) const;
    // Dialog units of the resource in pixels of this font.
    QPoint dluToPixels(int x, int y) const;

    // The system menu's "&About Aviary StartUp..." (command 16).
    void showAbout();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void place(QWidget* w, int x, int y, int cx, int cy) const;
    void choose(int family);

    QLabel* left_ = nullptr;
    QLabel* right_ = nullptr;
    QFrame* leftFrame_ = nullptr;
    QFrame* rightFrame_ = nullptr;
    int choice_ = 0;
};

class CWrenAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CWrenAboutDlg(QWidget* parent = nullptr);
};

}  // namespace wren
