#include "app/quarlo_dlg_assist.h"

#include "app/device_store.h"
#include "app/quarlo_dlg.h"
#include "controls/list_ctrls.h"
#include "platform/ipv4_address.h"
#include "skin/property_frame.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeWidgetItem>

#include <cstring>
#include <vector>

namespace {

/// The caption above the device list.
constexpr int IDC_DEVICE_LIST_CAPTION = 2104;

QString FieldText(const char (&szField)[32]) {
    return QString::fromLocal8Bit(szField, static_cast<qsizetype>(strnlen(szField, sizeof(szField))));
}

/// The caption a skinned control shows, or the empty text.
QString CaptionOf(QWidget* pWnd) {
    const auto* pFrame = dynamic_cast<const CBasicPropertyFrame*>(pWnd);
    return pFrame && pFrame->m_strCaption ? pFrame->m_strCaption->trimmed() : QString();
}

} // namespace

CQuarloDlgAssist::CQuarloDlgAssist(CQuarloDlg& dlg)
    : QObject(&dlg), m_dlg(dlg),
      m_pList(qobject_cast<CStandardListCtrl*>(dlg.FindListCtrl(IDC_DEVICE_LIST))) {
    m_pRowMenu = new QMenu(&m_dlg);
    m_pLogInAction = m_pRowMenu->addAction(QString());
    m_pStorageAction = m_pRowMenu->addAction(QString());
    m_pCopyAction = m_pRowMenu->addAction(QString());
    connect(m_pLogInAction, &QAction::triggered, &m_dlg, &CQuarloDlg::OnLogIn);
    connect(m_pStorageAction, &QAction::triggered, &m_dlg, &CQuarloDlg::OnMyStorage);
    connect(m_pCopyAction, &QAction::triggered, this, &CQuarloDlgAssist::CopySelectedAddress);

    // Window-wide, so they work wherever the focus is.
    auto* pCopy = new QShortcut(QKeySequence::Copy, &m_dlg);
    connect(pCopy, &QShortcut::activated, this, &CQuarloDlgAssist::CopySelectedAddress);
    auto* pRefresh = new QShortcut(QKeySequence(Qt::Key_F5), &m_dlg);
    connect(pRefresh, &QShortcut::activated, this, &CQuarloDlgAssist::RefreshIfEnabled);

    if (m_pList) {
        m_pListObject = m_pList.data();
        m_pViewportObject = m_pList->viewport();
        m_pList->installEventFilter(this);
        m_pList->viewport()->installEventFilter(this);
        connect(m_pList, &QTreeWidget::itemSelectionChanged, this, &CQuarloDlgAssist::OnSelectionChanged);
    }
    SetupFocus();
    SetupAccessibleNames();
}

CQuarloDlgAssist::~CQuarloDlgAssist() = default;

QString CQuarloDlgAssist::SelectedAddress() const {
    const int nRow = m_dlg.GetSelectedRow();
    if (nRow == -1 || !m_pList)
        return QString();
    return m_pList->topLevelItem(nRow)->text(DEVICE_COLUMN_IP);
}

bool CQuarloDlgAssist::CopySelectedAddress() {
    const QString strIP = SelectedAddress();
    if (!IsDottedIPv4(strIP))
        return false;
    QGuiApplication::clipboard()->setText(strIP);
    return true;
}

void CQuarloDlgAssist::RefreshIfEnabled() {
    QWidget* pRefresh = m_dlg.FindButtonCtrl(IDC_REFRESH_BUTTON);
    if (pRefresh && pRefresh->isEnabled())
        m_dlg.OnRefresh();
}

QString CQuarloDlgAssist::ActionText(int nCtrlID, const char* pszEnglish) const {
    QString strText = CaptionOf(m_dlg.FindButtonCtrl(nCtrlID));
    if (strText.isEmpty())
        strText = QString::fromUtf8(pszEnglish);
    // A layout's "&" is a character, not a menu mnemonic.
    return strText.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString CQuarloDlgAssist::RowDetails(int nRow) const {
    if (!m_pList || nRow < 0 || nRow >= m_pList->topLevelItemCount())
        return QString();
    const QString strIP = m_pList->topLevelItem(nRow)->text(DEVICE_COLUMN_IP);
    const std::vector<DeviceRecord> devices = CopyDevices(GetDeviceStore());
    for (const DeviceRecord& device : devices) {
        if (FieldText(device.ip) != strIP)
            continue;
        const std::pair<const char*, QString> kLines[] = {
            {"Vendor", FieldText(device.vendor)},
            {"Firmware", FieldText(device.version)},
            {"Detail", FieldText(device.extra)},
            {"ID", FieldText(device.id)},
        };
        QStringList lines;
        for (const auto& [pszLabel, strValue] : kLines) {
            if (!strValue.isEmpty())
                lines << QStringLiteral("%1: %2").arg(QString::fromLatin1(pszLabel), strValue);
        }
        return lines.join(QLatin1Char('\n'));
    }
    return QString();
}

void CQuarloDlgAssist::ShowRowMenu(const QPoint& ptGlobal) {
    m_pLogInAction->setText(ActionText(IDC_LOGIN_BUTTON, "Log In"));
    m_pStorageAction->setText(ActionText(IDC_STORAGE_BUTTON, "My Storage"));
    m_pCopyAction->setText(QStringLiteral("Copy IP Address"));
    // Enabled exactly when the actions would act on the row.
    const bool bValid = IsDottedIPv4(SelectedAddress());
    m_pLogInAction->setEnabled(bValid);
    m_pStorageAction->setEnabled(bValid);
    m_pCopyAction->setEnabled(bValid);
    m_pRowMenu->popup(ptGlobal);
}

bool CQuarloDlgAssist::OnListContextMenu(QObject* pWatched, QEvent* pEvent) {
    auto* pMenuEvent = static_cast<QContextMenuEvent*>(pEvent);
    QWidget* pViewport = m_pList->viewport();
    if (pMenuEvent->reason() == QContextMenuEvent::Mouse) {
        const QPoint ptViewport =
            pWatched == pViewport ? pMenuEvent->pos() : pViewport->mapFrom(m_pList.data(), pMenuEvent->pos());
        QTreeWidgetItem* pItem = m_pList->itemAt(ptViewport);
        if (!pItem)
            return true;
        // The menu acts on the row under the pointer: it alone becomes the selection, and the
        // buttons follow as after a click.
        m_pList->setCurrentItem(pItem, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_dlg.SetUiState(m_dlg.GetSelectedRow() == -1 ? CQuarloDlg::UiNothingSelected
                                                      : CQuarloDlg::UiRowSelected);
        ShowRowMenu(pMenuEvent->globalPos());
        return true;
    }
    // From the keyboard: the selected row, the menu at its lower left corner.
    const int nRow = m_dlg.GetSelectedRow();
    if (nRow == -1)
        return true;
    const QRect rcRow = m_pList->visualItemRect(m_pList->topLevelItem(nRow));
    ShowRowMenu(pViewport->mapToGlobal(rcRow.isValid() ? rcRow.bottomLeft() : QPoint(0, 0)));
    return true;
}

void CQuarloDlgAssist::ShowRowToolTip(QHelpEvent* pEvent) {
    QTreeWidgetItem* pItem = m_pList->itemAt(pEvent->pos());
    const QString strDetails = pItem ? RowDetails(m_pList->indexOfTopLevelItem(pItem)) : QString();
    if (strDetails.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    // Device text is data: escaped into a paragraph, so nothing in it is read as markup.
    QToolTip::showText(pEvent->globalPos(), Qt::convertFromPlainText(strDetails, Qt::WhiteSpacePre),
                       m_pList->viewport(), m_pList->visualItemRect(pItem));
}

void CQuarloDlgAssist::OnSelectionChanged() {
    // A closed window is past its users' input; its list may still change while it is torn down.
    if (m_bKeySelecting && m_dlg.isVisible())
        m_dlg.SetUiState(m_dlg.GetSelectedRow() == -1 ? CQuarloDlg::UiNothingSelected
                                                      : CQuarloDlg::UiRowSelected);
}

bool CQuarloDlgAssist::eventFilter(QObject* pWatched, QEvent* pEvent) {
    // Compared by address only: the list also sends events while it is being destroyed.
    if (pWatched != nullptr && (pWatched == m_pListObject || pWatched == m_pViewportObject)) {
        switch (pEvent->type()) {
        case QEvent::ContextMenu:
            return OnListContextMenu(pWatched, pEvent);
        case QEvent::ToolTip:
            if (pWatched == m_pViewportObject) {
                ShowRowToolTip(static_cast<QHelpEvent*>(pEvent));
                return true;
            }
            break;
        case QEvent::KeyPress:
            m_bKeySelecting = true;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            // The dialog follows left clicks itself; a right click may change the selection too.
            m_bKeySelecting = static_cast<QMouseEvent*>(pEvent)->button() == Qt::RightButton;
            break;
        case QEvent::KeyRelease:
        case QEvent::FocusOut:
            m_bKeySelecting = false;
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(pWatched, pEvent);
}

void CQuarloDlgAssist::SetupFocus() {
    // The list first, then the buttons in the order they stand, then the close button.
    QWidget* const chain[] = {
        m_pList.data(), m_dlg.FindButtonCtrl(IDC_LOGIN_BUTTON), m_dlg.FindButtonCtrl(IDC_REFRESH_BUTTON),
        m_dlg.FindButtonCtrl(IDC_STORAGE_BUTTON), m_dlg.FindButtonCtrl(IDC_CLOSE_BUTTON)};
    QWidget* pPrevious = nullptr;
    for (QWidget* pWnd : chain) {
        if (!pWnd)
            continue;
        if (pPrevious)
            QWidget::setTabOrder(pPrevious, pWnd);
        pPrevious = pWnd;
    }
    if (m_pList)
        m_pList->setFocus(Qt::OtherFocusReason);
}

void CQuarloDlgAssist::SetupAccessibleNames() {
    // Buttons and texts name themselves after their captions; the list takes its own caption, or
    // the caption above it, and the close button, which shows only a picture, a word.
    if (m_pList) {
        QString strName = CaptionOf(m_pList);
        if (strName.isEmpty())
            strName = CaptionOf(m_dlg.FindStaticCtrl(IDC_DEVICE_LIST_CAPTION));
        m_pList->setAccessibleName(strName);
    }
    QWidget* pClose = m_dlg.FindButtonCtrl(IDC_CLOSE_BUTTON);
    if (pClose && CaptionOf(pClose).isEmpty())
        pClose->setAccessibleName(QStringLiteral("Close"));
}

CQuarloDlgAssist* AttachDlgAssist(CQuarloDlg& dlg) {
    if (!dlg.AreControlsReady())
        return nullptr;
    return new CQuarloDlgAssist(dlg);
}
