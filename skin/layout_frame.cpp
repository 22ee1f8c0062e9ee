#include "skin/layout_frame.h"

#include "platform/data_folder.h"
#include "skin/property_frame.h"

#include <QVariant>

#include <climits>

namespace {

constexpr char kCtrlIdProperty[] = "roamdockCtrlID";

/// Longest face name a layout font keeps, as the face field it stands for holds 31 characters.
constexpr int kMaxFaceLength = 31;

QWidget* FindInMap(const LayoutControlMap& map, int nCtrlID) {
    const auto it = map.find(nCtrlID);
    return it == map.end() ? nullptr : it->second.data();
}

void DeleteControls(LayoutControlMap& map) {
    for (auto& [nCtrlID, pControl] : map) {
        Q_UNUSED(nCtrlID);
        // QPointer is null for a control that is already gone (deleted with its dialog, or listed twice).
        delete pControl.data();
    }
    map.clear();
}

} // namespace

void SetDlgCtrlID(QWidget* pWnd, int nCtrlID) {
    if (pWnd)
        pWnd->setProperty(kCtrlIdProperty, nCtrlID);
}

int GetDlgCtrlID(const QWidget* pWnd) {
    if (!pWnd)
        return 0;
    return pWnd->property(kCtrlIdProperty).toInt();
}

// No COM to initialise here: the XML reader on Linux needs none.
CBasicLayoutFrame::CBasicLayoutFrame() {
    ResetDialogRecord(m_record);
}

CBasicLayoutFrame::~CBasicLayoutFrame() {
    ReleaseFonts();
    ReleaseControls();
}

void CBasicLayoutFrame::LoadLayout(const QString& strRelPath, int nDialogID, const QString& strMode) {
    const QString strRoot = SharedDataRoot();
    // Relative paths may be written the layout's way, with backslashes.
    QString strRelative = strRelPath;
    strRelative.replace(u'\\', u'/');
    LoadLayoutFile(strRoot.isEmpty() ? QString() : strRoot + strRelative, nDialogID, strMode);
}

void CBasicLayoutFrame::LoadLayoutFile(const QString& strPath, int nDialogID, const QString& strMode) {
    ReadLayout(strPath, nDialogID, strMode);
    ApplyLayout();
}

void CBasicLayoutFrame::ReadLayout(const QString& strPath, int nDialogID, const QString& strMode) {
    ReadLayoutFile(m_record, strPath, nDialogID, strMode);
}

void CBasicLayoutFrame::ApplyLayout() {
    ApplyDialogProperties();
    ApplyControlRecords();
}

void CBasicLayoutFrame::ApplyDialogProperties() {}

void CBasicLayoutFrame::ApplyControlRecords() {
    ReleaseFonts();
    ReleaseControls();
}

void CBasicLayoutFrame::OnControlsCreated() {}

int CBasicLayoutFrame::AreControlsReady() {
    return 1;
}

void CBasicLayoutFrame::ReleaseFonts() {
    FontList.clear();
}

void CBasicLayoutFrame::ReleaseControls() {
    DeleteControls(ButtonMap);
    DeleteControls(StaticMap);
    DeleteControls(ListMap);
}

QFont* CBasicLayoutFrame::CreateLayoutFont(const QString& strFace, int nSize) {
    QString strCut = strFace.left(kMaxFaceLength);
    // Never keep half of a surrogate pair.
    if (strCut.size() == kMaxFaceLength && strCut.back().isHighSurrogate())
        strCut.chop(1);
    auto pFont = std::make_unique<QFont>(strCut);
    pFont->setWeight(QFont::Normal);
    // The size is a font height in pixels; a negative one means the same height, 0 the default size.
    if (nSize != 0)
        pFont->setPixelSize(nSize > 0 ? nSize : (nSize == INT_MIN ? INT_MAX : -nSize));
    FontList.push_back(std::move(pFont));
    return FontList.back().get();
}

QString CBasicLayoutFrame::GetLayoutString(const QString& strID) const {
    const auto it = m_record.stringMap.find(strID);
    return it == m_record.stringMap.end() ? QString() : it->second;
}

int CBasicLayoutFrame::GetControlRecord(int nCtrlID, ControlRecord& record) const {
    const auto it = m_record.controlMap.find(nCtrlID);
    if (it == m_record.controlMap.end())
        return 1;
    record = it->second;
    return 0;
}

QWidget* CBasicLayoutFrame::FindButtonCtrl(int nCtrlID) const {
    return FindInMap(ButtonMap, nCtrlID);
}

QWidget* CBasicLayoutFrame::FindStaticCtrl(int nCtrlID) const {
    return FindInMap(StaticMap, nCtrlID);
}

QWidget* CBasicLayoutFrame::FindListCtrl(int nCtrlID) const {
    return FindInMap(ListMap, nCtrlID);
}

void CBasicLayoutFrame::CaptureControlBackgrounds(QWidget* pDialog, const QImage& dialogPaint) {
    for (const LayoutControlMap* pMap : {&ButtonMap, &StaticMap}) {
        for (const auto& [nCtrlID, pControl] : *pMap) {
            Q_UNUSED(nCtrlID);
            QWidget* pWidget = pControl.data();
            if (auto* pFrame = dynamic_cast<CBasicPropertyFrame*>(pWidget))
                pFrame->CaptureBackground(dialogPaint, pWidget, pDialog);
        }
    }
}
