#include "app/quarlo_dlg.h"

#include "app/device_store.h"
#include "app/quarlo_app.h"
#include "app/quarlo_dlg_assist.h"
#include "app/storage_action.h"
#include "controls/buttons.h"
#include "controls/list_ctrls.h"
#include "controls/text_ctrls.h"
#include "discovery/engine.h"
#include "platform/data_folder.h"
#include "platform/ipv4_address.h"
#include "platform/system_services.h"
#include "skin/control_factory.h"
#include "skin/layout_record.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTimerEvent>
#include <QTreeWidgetItem>

#include <cstring>
#include <vector>

namespace {

/// Device texts are narrow, at most 32 bytes, NUL-terminated within them when shorter.
QString DeviceText(const char (&szField)[32]) {
    return QString::fromLocal8Bit(szField, static_cast<qsizetype>(strnlen(szField, sizeof(szField))));
}

/// The report view's grid lines: a light line under every row and right of every cell.
class CGridLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* pPainter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(pPainter, option, index);
        pPainter->save();
        pPainter->setPen(kGridLineColor);
        pPainter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        pPainter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        pPainter->restore();
    }
};

} // namespace

CQuarloDlg::CQuarloDlg(QWidget* pParent) : CBasicNoneBorderDlg(pParent) {
    m_nTick = 1;
    m_hIcon = QIcon(QStringLiteral(":/ICON/128"));
    SetRegionBitmap(QStringLiteral("%1%2%3").arg(SharedDataRoot(), QString::fromLatin1(kPictureFolder),
                                                 QStringLiteral("/SearchDevice_BlackGround.bmp")));
    m_pUrlOpener = &SystemUrlOpener();
}

CQuarloDlg::~CQuarloDlg() = default;

void CQuarloDlg::setVisible(bool bVisible) {
    // The window's controls exist only once the layout is applied, which happens right before the
    // first show, as a dialog's initialisation does.
    if (bVisible && !m_bInitDone) {
        m_bInitDone = true;
        OnInitDialog();
    }
    CBasicNoneBorderDlg::setVisible(bVisible);
}

bool CQuarloDlg::OnInitDialog() {
    setWindowIcon(m_hIcon);
    LoadLayout(
        QStringLiteral("%1%2").arg(QString::fromLatin1(kDataFolder), QStringLiteral("/WndLayoutInfo.xml")),
        IDD_QUARLO_DIALOG, QStringLiteral("Standard"));
    SetUiState(UiIdle);
    // Replaces the layout's title: a second start finds the running copy by this name.
    setWindowTitle(QString::fromUtf8(kProductTitle));
    SetupDeviceList();
    FillDeviceList();
    OnRefresh();
    // Row menu, shortcuts, device tooltip, keyboard and screen-reader support, from outside.
    AttachDlgAssist(*this);
    return true;
}

void CQuarloDlg::ApplyControlRecords() {
    ReleaseFonts();
    ReleaseControls();
    CreateLayoutControls(*this, this);
    OnControlsCreated();
}

void CQuarloDlg::OnControlsCreated() {
    BindControls();
}

int CQuarloDlg::AreControlsReady() {
    return m_pDeviceList && m_pSearchStatus && m_pCloseButton && m_pLogInButton && m_pRefreshButton &&
                   m_pStorageButton
               ? 1
               : 0;
}

void CQuarloDlg::BindControls() {
    m_pDeviceList = qobject_cast<CStandardListCtrl*>(FindListCtrl(IDC_DEVICE_LIST));
    m_pSearchStatus = qobject_cast<CShowTextImageCtrl*>(FindStaticCtrl(IDC_SEARCH_STATUS));
    m_pCloseButton = qobject_cast<CStandardButton*>(FindButtonCtrl(IDC_CLOSE_BUTTON));
    m_pLogInButton = qobject_cast<CStandardButton*>(FindButtonCtrl(IDC_LOGIN_BUTTON));
    m_pRefreshButton = qobject_cast<CStandardButton*>(FindButtonCtrl(IDC_REFRESH_BUTTON));
    m_pStorageButton = qobject_cast<CStandardButton*>(FindButtonCtrl(IDC_STORAGE_BUTTON));

    // Commands are routed by control id, whichever control carries it.
    for (const auto& [nCtrlID, pWnd] : ButtonMap) {
        if (auto* pButton = qobject_cast<CBasicButton*>(pWnd.data()))
            connect(pButton, &CBasicButton::commandClicked, this, &CQuarloDlg::OnCommand);
    }
    for (const auto& [nCtrlID, pWnd] : ListMap) {
        if (auto* pList = qobject_cast<CBasicListCtrl*>(pWnd.data())) {
            connect(pList, &CBasicListCtrl::listClicked, this, &CQuarloDlg::OnListClick);
            connect(pList, &CBasicListCtrl::listDoubleClicked, this, &CQuarloDlg::OnListDoubleClick);
        }
    }
}

void CQuarloDlg::SetUiState(int nState) {
    const auto show = [](QWidget* pWnd, bool bShow) {
        if (pWnd)
            pWnd->setVisible(bShow);
    };
    const auto enable = [](QWidget* pWnd, bool bEnable) {
        if (pWnd)
            pWnd->setEnabled(bEnable);
    };
    switch (nState) {
    case UiIdle:
        show(m_pSearchStatus, false);
        enable(m_pCloseButton, true);
        enable(m_pLogInButton, false);
        enable(m_pRefreshButton, true);
        enable(m_pStorageButton, false);
        break;
    case UiSearching:
        show(m_pSearchStatus, true);
        enable(m_pLogInButton, false);
        enable(m_pRefreshButton, false);
        enable(m_pStorageButton, false);
        break;
    case UiSearchDone:
        show(m_pSearchStatus, false);
        enable(m_pRefreshButton, true);
        break;
    case UiRowSelected:
        enable(m_pLogInButton, true);
        enable(m_pStorageButton, true);
        break;
    case UiNothingSelected:
        enable(m_pLogInButton, false);
        enable(m_pStorageButton, false);
        break;
    default:
        break;
    }
}

int CQuarloDlg::GetSelectedRow() const {
    if (!const_cast<CQuarloDlg*>(this)->AreControlsReady())
        return -1;
    const int nCount = m_pDeviceList->topLevelItemCount();
    for (int nRow = 0; nRow < nCount; ++nRow) {
        if (m_pDeviceList->topLevelItem(nRow)->isSelected())
            return nRow;
    }
    return -1;
}

QString CQuarloDlg::GetSelectedAddress() const {
    const int nRow = GetSelectedRow();
    if (nRow == -1)
        return QString();
    return m_pDeviceList->topLevelItem(nRow)->text(DEVICE_COLUMN_IP);
}

void CQuarloDlg::SetupDeviceList() {
    if (!AreControlsReady())
        return;
    CStandardListCtrl& list = *m_pDeviceList;
    // Grid lines, sub-item images and full-row selection of the report view.
    if (!dynamic_cast<CGridLineDelegate*>(list.itemDelegate()))
        list.setItemDelegate(new CGridLineDelegate(&list));
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.setAllColumnsShowFocus(true);

    const QString strPictures = SharedDataRoot() + QString::fromLatin1(kPictureFolder);
    CStandardHeaderCtrl* pHeader = list.GetHeaderCtrl();
    if (pHeader) {
        pHeader->LoadImageStrip(strPictures + QStringLiteral("/headerbackground.png"), 1, 0, 0);
        pHeader->SetHeaderDividerImage(strPictures + QStringLiteral("/headerclip.png"));
    }
    list.SetHeaderFont(GetLayoutString(QStringLiteral("SEARCH_DEVICE_LIST_HEADER_FONT_NAME")),
                       ParseIntText(GetLayoutString(QStringLiteral("SEARCH_DEVICE_LIST_HEADER_FONT_SIZE"))));
    list.SetHeaderTextColor(GetLayoutString(QStringLiteral("SEARCH_DEVICE_LIST_HEADER_FONT_COLOR")));
    if (pHeader)
        pHeader->HeaderHeightScale = 0.9f;

    struct ColumnInfo {
        const char* pszTitleID;
        Qt::Alignment align;
        int nWidth;
    };
    static const ColumnInfo kColumns[] = {
        {"SEARCH_DEVICE_LIST_ITEM_NAME", Qt::AlignLeft | Qt::AlignVCenter, 96},
        {"SEARCH_DEVICE_LIST_ITEM_IP", Qt::AlignCenter, 122},
        {"SEARCH_DEVICE_LIST_ITEM_TYPE", Qt::AlignCenter, 88},
    };
    const int nColumns = static_cast<int>(std::size(kColumns));
    list.setColumnCount(nColumns);
    QTreeWidgetItem* pHeaderItem = list.headerItem();
    for (int nColumn = 0; nColumn < nColumns; ++nColumn) {
        pHeaderItem->setText(nColumn, GetLayoutString(QString::fromLatin1(kColumns[nColumn].pszTitleID)));
        pHeaderItem->setTextAlignment(nColumn, kColumns[nColumn].align);
    }
    // Columns keep the widths they are given; the space right of the last one stays empty.
    list.header()->setStretchLastSection(false);
    for (int nColumn = 0; nColumn < nColumns; ++nColumn)
        list.setColumnWidth(nColumn, kColumns[nColumn].nWidth);
}

void CQuarloDlg::InsertRowsOnTop(const std::vector<const DeviceRecord*>& devices) {
    // Inserting each record at the top, one after the other, leaves the last one first; the rows are
    // built in that final order and inserted in one step, so the view relays itself out only once.
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(devices.size()));
    for (auto it = devices.rbegin(); it != devices.rend(); ++it) {
        const DeviceRecord& device = **it;
        auto* pItem = new QTreeWidgetItem(
            QStringList{DeviceText(device.host), DeviceText(device.ip), DeviceText(device.product)});
        pItem->setTextAlignment(DEVICE_COLUMN_NAME, Qt::AlignLeft | Qt::AlignVCenter);
        pItem->setTextAlignment(DEVICE_COLUMN_IP, Qt::AlignCenter);
        pItem->setTextAlignment(DEVICE_COLUMN_TYPE, Qt::AlignCenter);
        items.append(pItem);
    }
    if (!items.isEmpty())
        m_pDeviceList->insertTopLevelItems(0, items);
}

void CQuarloDlg::FillDeviceList() {
    if (!AreControlsReady())
        return;
    m_pDeviceList->clear();
    const std::vector<DeviceRecord> devices = CopyDevices(GetDeviceStore());
    // Each record goes on top, so the most recently accepted device ends up first.
    std::vector<const DeviceRecord*> rows;
    rows.reserve(devices.size());
    for (const DeviceRecord& device : devices)
        rows.push_back(&device);
    InsertRowsOnTop(rows);
}

void CQuarloDlg::UpdateDeviceList() {
    if (!AreControlsReady())
        return;
    if (m_pDeviceList->topLevelItemCount() == 0) {
        FillDeviceList();
        return;
    }
    const std::vector<DeviceRecord> devices = CopyDevices(GetDeviceStore());
    // The addresses shown, kept current as rows are added, so each record is matched against every
    // row the list holds at that moment without walking the rows again.
    QSet<QString> shown;
    const int nCount = m_pDeviceList->topLevelItemCount();
    shown.reserve(nCount + static_cast<int>(devices.size()));
    for (int nRow = 0; nRow < nCount; ++nRow)
        shown.insert(m_pDeviceList->topLevelItem(nRow)->text(DEVICE_COLUMN_IP));
    std::vector<const DeviceRecord*> rows;
    for (const DeviceRecord& device : devices) {
        const QString strIP = DeviceText(device.ip);
        if (shown.contains(strIP))
            continue;
        shown.insert(strIP);
        rows.push_back(&device);
    }
    InsertRowsOnTop(rows);
}

void CQuarloDlg::OnRefresh() {
    if (!AreControlsReady())
        return;
    m_pDeviceList->clear();
    ClearDevices(GetDeviceStore());
    ::SendMessage();
    // A search always counts its full ten ticks, even when one is started while another runs.
    m_nTick = 1;
    SetSearchStatus(SEARCH_TICKS);
    SetUiState(UiSearching);
    m_searchTimer.start(m_nTimerPeriod, this);
}

void CQuarloDlg::OnTimer(int nIDEvent) {
    if (nIDEvent != SEARCH_TIMER_ID)
        return;
    if (m_nTick == SEARCH_TICKS) {
        m_searchTimer.stop();
        m_nTick = 1;
        SetUiState(UiSearchDone);
        emit searchFinished();
        return;
    }
    UpdateDeviceList();
    SetSearchStatus(SEARCH_TICKS - m_nTick);
    ++m_nTick;
}

void CQuarloDlg::timerEvent(QTimerEvent* pEvent) {
    if (pEvent->timerId() == m_searchTimer.timerId()) {
        OnTimer(SEARCH_TIMER_ID);
        return;
    }
    CBasicNoneBorderDlg::timerEvent(pEvent);
}

void CQuarloDlg::SetSearchStatus(int nSeconds) {
    // One-pass substitution: a "%2" inside the layout's text stays literal.
    SetStatusText(QStringLiteral("%1 %2s...")
                      .arg(GetLayoutString(QStringLiteral("SEARCH_DEVICE_WATI_TIME_WARNING")),
                           QString::number(nSeconds)));
}

void CQuarloDlg::SetStatusText(const QString& strText) {
    QWidget* pStatus = FindStaticCtrl(IDC_SEARCH_STATUS);
    if (!pStatus)
        return;
    auto* pFrame = dynamic_cast<CBasicPropertyFrame*>(pStatus);
    if (!pFrame)
        return;
    pFrame->SetCaption(strText, pFrame->m_nCaptionX, pFrame->m_nCaptionY);
    pStatus->update();
}

void CQuarloDlg::SetUrlOpener(CUrlOpener* pOpener) {
    m_pUrlOpener = pOpener ? pOpener : &SystemUrlOpener();
}

void CQuarloDlg::OnLogIn() {
    if (!AreControlsReady())
        return;
    const QString strIP = GetSelectedAddress();
    // Only a well-formed address leaves the program; any other device text is shown, never opened.
    if (!IsDottedIPv4(strIP))
        return;
    m_pUrlOpener->OpenUrl(QStringLiteral("http://") + strIP);
}

void CQuarloDlg::OnMyStorage() {
    if (!AreControlsReady() || GetSelectedRow() == -1)
        return;
    if (m_storageServices)
        OpenDeviceStorage(GetSelectedAddress(), *m_storageServices);
    else
        OpenDeviceStorage(GetSelectedAddress());
}

void CQuarloDlg::OnBringToFront() {
    // To the top of the window order, in place; a minimised window stays minimised.
    raise();
    if (!isMinimized())
        activateWindow();
}

void CQuarloDlg::DrawBackground(QImage& offscreen) {
    QPainter graphics(&offscreen);
    graphics.setRenderHint(QPainter::Antialiasing);
    DrawProperties(nullptr, this, graphics);
    graphics.end();
    // The transparent controls show the picture just drawn under them.
    CaptureControlBackgrounds(this, offscreen);
}

void CQuarloDlg::keyPressEvent(QKeyEvent* pEvent) {
    // Enter ends the dialog as Escape does; there is no default button to press.
    if ((pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) &&
        (pEvent->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        accept();
        return;
    }
    CBasicNoneBorderDlg::keyPressEvent(pEvent);
}

void CQuarloDlg::OnCommand(int nCtrlID) {
    switch (nCtrlID) {
    case IDC_CLOSE_BUTTON:
        reject();
        break;
    case IDC_LOGIN_BUTTON:
        OnLogIn();
        break;
    case IDC_REFRESH_BUTTON:
        OnRefresh();
        break;
    case IDC_STORAGE_BUTTON:
        OnMyStorage();
        break;
    default:
        break;
    }
}

void CQuarloDlg::OnListClick(int nCtrlID) {
    if (nCtrlID != IDC_DEVICE_LIST)
        return;
    SetUiState(GetSelectedRow() == -1 ? UiNothingSelected : UiRowSelected);
}

void CQuarloDlg::OnListDoubleClick(int nCtrlID) {
    if (nCtrlID != IDC_DEVICE_LIST)
        return;
    if (GetSelectedRow() != -1)
        OnLogIn();
}
