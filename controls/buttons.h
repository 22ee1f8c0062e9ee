#pragma once
// Skinned buttons: the face is one cell of a horizontal image strip, chosen by the button's state.

#include "skin/property_frame.h"

#include <QAbstractButton>
#include <QImage>

class QPainter;

class CBasicButton : public QAbstractButton, public CBasicPropertyFrame {
    Q_OBJECT
public:
    explicit CBasicButton(QWidget* pParent = nullptr);
    ~CBasicButton() override;

    /// 1 or 2 check the button, any other value unchecks it.
    void setCheck(int nCheck);
    /// 1 when checked, else 0.
    int check() const;

    /// Draws the whole face: frame layers, the cell SelectImageCell names, then the caption.
    virtual void DrawButton(QImage& offscreen);
    /// The caption at its offset, or centred on an axis whose offset is 0; one pixel down-right
    /// while pressed.
    virtual void DrawButtonText(QPainter& graphics);
    /// Index of the strip cell for the current state, or -1 when no cell is drawn.
    /// Two cells: checked 1, else 0. Four: disabled 3, pressed 2, hovered 1, else 0.
    /// Five: checked 4, else as for four. Any other count: none.
    virtual int SelectImageCell() const;

    // Extension points for subclasses; empty here.
    virtual void OnMouseMoved(int nFlags, int x, int y);
    virtual void OnMouseLeft();
    virtual void OnMouseHovered(int nFlags, int x, int y);

    int m_bHover = 0;
    int m_bChecked = 0;

signals:
    /// A push button was clicked, or a check box toggled (after its state changed).
    void commandClicked(int nCtrlID);
    /// A radio button checked itself; never sent for control id 0.
    void radioChecked(int nCtrlID);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void enterEvent(QEnterEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;
    /// Shared caption drawing; `bPressShift` moves the text by one pixel while pressed.
    void DrawCaption(QPainter& graphics, bool bPressShift);
};

class CStandardButton : public CBasicButton {
    Q_OBJECT
public:
    explicit CStandardButton(QWidget* pParent = nullptr);
};

/// A push button that the factory also gives a tool tip.
class CDriftButton : public CStandardButton {
    Q_OBJECT
public:
    explicit CDriftButton(QWidget* pParent = nullptr);
};

class CCheckBoxButton : public CBasicButton {
    Q_OBJECT
public:
    explicit CCheckBoxButton(QWidget* pParent = nullptr);

    /// Two cells: checked 1, else 0. Eight: the four states unchecked (0-3), then checked (4-7).
    int SelectImageCell() const override;
    /// As the base, but the caption does not move while pressed.
    void DrawButtonText(QPainter& graphics) override;
};

class CRadioBoxButton : public CBasicButton {
    Q_OBJECT
public:
    explicit CRadioBoxButton(QWidget* pParent = nullptr);

    /// Unchecks the other skinned buttons of the same parent: they form the radio's group.
    void UncheckGroup();
};
