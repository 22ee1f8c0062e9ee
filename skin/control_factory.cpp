#include "skin/control_factory.h"

#include "controls/buttons.h"
#include "controls/list_ctrls.h"
#include "controls/task_list.h"
#include "controls/text_ctrls.h"

#include <QPalette>

namespace {

enum CreatorFlags {
    HasImageStrip = 1,
    HasCaption = 2,
    HasToolTip = 4,
};

QRect RecordRect(const LayoutRect& rc) {
    return QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

/// The control goes into its map; one still held under that id (the maps are normally empty here)
/// is deleted rather than left behind on the dialog.
void InsertControl(LayoutControlMap& map, int nCtrlID, QWidget* pCtrl) {
    auto it = map.find(nCtrlID);
    if (it != map.end()) {
        delete it->second.data();
        it->second = pCtrl;
        return;
    }
    map.emplace(nCtrlID, pCtrl);
}

/// The steps every control shares before its own configuration: colours, paint mode, and the
/// child window with its id, class name and rectangle.
void PrepareControl(QWidget* pCtrl, CBasicPropertyFrame& props, const ControlRecord& record,
                    QWidget* pParent) {
    props.SetFillColor(record.CtrlBGColor);
    props.SetBorderColor(record.CtrlBorderColor);
    props.m_nPaintMode = record.CtrlPaintMode;
    pCtrl->setObjectName(record.CtrlClass);
    SetDlgCtrlID(pCtrl, record.CtrlID);
    pCtrl->setGeometry(RecordRect(record.CtrlPos));
    if (pParent != nullptr) {
        pCtrl->setVisible((record.CtrlStyle & WS_VISIBLE) != 0);
    }
}

/// Final placement and the show command: 0 hides, anything else shows. Without a parent there is
/// no child window to show.
void PlaceControl(QWidget* pCtrl, const ControlRecord& record, QWidget* pParent) {
    pCtrl->setGeometry(RecordRect(record.CtrlPos));
    if (pParent != nullptr) {
        pCtrl->setVisible(record.CtrlShow != SW_HIDE);
    }
    pCtrl->update();
}

template <typename TCtrl>
void CreateControls(CBasicLayoutFrame& frame, QWidget* pParent, const char* pszClass, int nFlags,
                    LayoutControlMap& map) {
    const QString strClass = QString::fromLatin1(pszClass);
    for (const auto& [nCtrlID, record] : frame.m_record.controlMap) {
        if (record.CtrlClass != strClass) {
            continue;
        }
        auto* pCtrl = new TCtrl(pParent);
        PrepareControl(pCtrl, *pCtrl, record, pParent);
        if ((nFlags & HasImageStrip) != 0) {
            pCtrl->LoadImageStrip(record.CtrlBGPath, record.CtrlBGStatusCount, 0, 0);
        }
        if ((nFlags & HasCaption) != 0) {
            pCtrl->SetCaption(record.CtrlText, record.CtrlTextOffSet.x, record.CtrlTextOffSet.y);
            pCtrl->SetCaptionFont(record.CtrlFont, record.CtrlFontSize);
            pCtrl->SetCaptionColor(record.CtrlTextColor);
        }
        if ((nFlags & HasToolTip) != 0) {
            pCtrl->CreateToolTip(pCtrl, record.CtrlDiscrip);
        }
        PlaceControl(pCtrl, record, pParent);
        InsertControl(map, nCtrlID, pCtrl);
    }
}

void CreateStandardListCtrls(CBasicLayoutFrame& frame, QWidget* pParent) {
    const QString strClass = QStringLiteral("StandardListCtrl");
    for (const auto& [nCtrlID, record] : frame.m_record.controlMap) {
        if (record.CtrlClass != strClass) {
            continue;
        }
        auto* pList = new CStandardListCtrl(pParent);
        PrepareControl(pList, *pList, record, pParent);
        pList->UpdateBorderFrame();
        // Only a report list shows its column header.
        pList->setHeaderHidden((record.CtrlStyle & LVS_REPORT) == 0);
        if (QFont* pFont = frame.CreateLayoutFont(record.CtrlFont, record.CtrlFontSize)) {
            pList->setFont(*pFont);
        }
        QPalette pal = pList->palette();
        pal.setColor(QPalette::Text, QColor::fromRgba(ColorRefToArgb(record.CtrlTextColor)));
        pList->setPalette(pal);
        PlaceControl(pList, record, pParent);
        InsertControl(frame.ListMap, nCtrlID, pList);
    }
}

void CreateShowTaskListCtrls(CBasicLayoutFrame& frame, QWidget* pParent) {
    const QString strClass = QStringLiteral("ShowTaskListCtrl");
    for (const auto& [nCtrlID, record] : frame.m_record.controlMap) {
        if (record.CtrlClass != strClass) {
            continue;
        }
        auto* pList = new CShowTaskListCtrl(pParent);
        PrepareControl(pList, *pList, record, pParent);
        pList->UpdateBorderFrame();
        // The status icon strip.
        pList->LoadImageStrip(record.CtrlBGPath, record.CtrlBGStatusCount, 0, 0);
        PlaceControl(pList, record, pParent);
        InsertControl(frame.ListMap, nCtrlID, pList);
    }
}

} // namespace

void CreateLayoutControls(CBasicLayoutFrame& frame, QWidget* pParent) {
    CreateControls<CStandardButton>(frame, pParent, "StandardButton", HasImageStrip | HasCaption,
                                    frame.ButtonMap);
    CreateControls<CRadioBoxButton>(frame, pParent, "RadioBoxButton", HasImageStrip | HasCaption,
                                    frame.ButtonMap);
    CreateControls<CCheckBoxButton>(frame, pParent, "CheckBoxButton", HasImageStrip | HasCaption,
                                    frame.ButtonMap);
    CreateControls<CDriftButton>(frame, pParent, "DriftButton", HasImageStrip | HasCaption | HasToolTip,
                                 frame.ButtonMap);
    CreateControls<CShowTextCtrl>(frame, pParent, "ShowTextCtrl", HasCaption, frame.StaticMap);
    CreateControls<CShowImageCtrl>(frame, pParent, "ShowImageCtrl", HasImageStrip, frame.StaticMap);
    CreateControls<CShowTextImageCtrl>(frame, pParent, "ShowTextImageCtrl", HasImageStrip | HasCaption,
                                       frame.StaticMap);
    CreateStandardListCtrls(frame, pParent);
    CreateShowTaskListCtrls(frame, pParent);
}
