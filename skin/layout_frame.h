#pragma once
// A skinned dialog's layout: the record read from the layout file, the controls and fonts made
// from it, and lookups by id.

#include "skin/layout_record.h"

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

class CBasicPropertyFrame;

/// Controls keep their layout id as a dynamic property, so any widget can be asked for it.
void SetDlgCtrlID(QWidget* pWnd, int nCtrlID);
/// The id given by SetDlgCtrlID, or 0.
int GetDlgCtrlID(const QWidget* pWnd);

/// Owned controls by CtrlID. A control is a QWidget that also derives from CBasicPropertyFrame
/// (reach the frame with dynamic_cast) and from its family's class (reach it with qobject_cast).
using LayoutControlMap = std::map<int32_t, QPointer<QWidget>>;

class CBasicLayoutFrame {
public:
    CBasicLayoutFrame();
    virtual ~CBasicLayoutFrame();
    CBasicLayoutFrame(const CBasicLayoutFrame&) = delete;
    CBasicLayoutFrame& operator=(const CBasicLayoutFrame&) = delete;

    /// Full path = SharedDataRoot() + `strRelPath` with "\" turned into "/" (empty when the root is
    /// empty), then LoadLayoutFile.
    virtual void LoadLayout(const QString& strRelPath, int nDialogID, const QString& strMode);
    /// ReadLayout, then ApplyLayout.
    virtual void LoadLayoutFile(const QString& strPath, int nDialogID, const QString& strMode);
    /// ReadLayoutFile into the record; its result is dropped.
    virtual void ReadLayout(const QString& strPath, int nDialogID, const QString& strMode);
    /// ApplyDialogProperties, then ApplyControlRecords.
    virtual void ApplyLayout();
    virtual void ApplyDialogProperties();
    /// ReleaseFonts, then ReleaseControls.
    virtual void ApplyControlRecords();
    virtual void OnControlsCreated();
    virtual int AreControlsReady();

    void ReleaseFonts();
    /// Deletes the controls of ButtonMap, StaticMap and ListMap, in this order, ascending id.
    void ReleaseControls();
    /// A pixel-sized font owned by FontList; face names longer than 31 characters are cut to 31.
    /// A negative size means the same pixel height, 0 the default size.
    QFont* CreateLayoutFont(const QString& strFace, int nSize);
    /// The StringValue for `strID`, or the empty text.
    QString GetLayoutString(const QString& strID) const;
    /// 0 and a copy of the record for `nCtrlID`; 1 and `record` untouched when absent.
    int GetControlRecord(int nCtrlID, ControlRecord& record) const;
    QWidget* FindButtonCtrl(int nCtrlID) const;
    QWidget* FindStaticCtrl(int nCtrlID) const;
    QWidget* FindListCtrl(int nCtrlID) const;
    /// For every control of ButtonMap, then StaticMap: CaptureBackground from the dialog's paint.
    void CaptureControlBackgrounds(QWidget* pDialog, const QImage& dialogPaint);

    DialogRecord m_record;
    std::vector<std::unique_ptr<QFont>> FontList;
    LayoutControlMap ButtonMap;
    LayoutControlMap StaticMap;
    LayoutControlMap ListMap;
};
