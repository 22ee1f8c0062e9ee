#pragma once
// Passive controls showing the dialog's static content: a wrapped text, an image cell, or both.

#include "controls/base_ctrl.h"

#include <QSize>

/// Plain-text caption, wrapped at the client width less twice the x offset, never centred.
class CShowTextCtrl : public CBasicCtrl {
    Q_OBJECT
public:
    explicit CShowTextCtrl(QWidget* pParent = nullptr);

    void DrawContent(QImage& offscreen) override;
    /// The size the caption needs when wrapped at 250 pixels less twice the x offset, offsets included:
    /// width = trunc(2x + w + 1.0), height = trunc(y + h).
    QSize MeasureTextExtent() const;

private:
    QString m_strAnnouncedCaption; ///< the caption screen readers were last told about
};

/// The first cell of the image strip at its natural size.
class CShowImageCtrl : public CBasicCtrl {
    Q_OBJECT
public:
    explicit CShowImageCtrl(QWidget* pParent = nullptr);

    void DrawContent(QImage& offscreen) override;
};

/// An image cell with the wrapped caption over it.
class CShowTextImageCtrl : public CBasicCtrl {
    Q_OBJECT
public:
    explicit CShowTextImageCtrl(QWidget* pParent = nullptr);

    void DrawContent(QImage& offscreen) override;

private:
    QString m_strAnnouncedCaption; ///< the caption screen readers were last told about
};
