#pragma once
// The program's only window: the skinned dialog that lists the devices found on the network and
// offers Log In, Refresh, My Storage and close.

#include "app/storage_action.h"
#include "controls/dialogs.h"

#include <QBasicTimer>
#include <QIcon>
#include <QPointer>
#include <QRgb>
#include <QString>

#include <optional>
#include <vector>

struct DeviceRecord;
class CStandardListCtrl;
class CShowTextImageCtrl;
class CStandardButton;
class CUrlOpener;
class QKeyEvent;
class QTimerEvent;

/// Dialog template id, also the dialog id looked up in the layout file.
constexpr int IDD_QUARLO_DIALOG = 201;
/// The search countdown: timer id 1, one tick a second, ten ticks a search.
constexpr int SEARCH_TIMER_ID = 1;
constexpr int SEARCH_TIMER_PERIOD = 1000;
constexpr int SEARCH_TICKS = 10;

// Controls of the layout "Standard".
constexpr int IDC_CLOSE_BUTTON = 2103;
constexpr int IDC_DEVICE_LIST = 2105;
constexpr int IDC_SEARCH_STATUS = 2106;
constexpr int IDC_LOGIN_BUTTON = 2107;
constexpr int IDC_REFRESH_BUTTON = 2108;
constexpr int IDC_STORAGE_BUTTON = 2109;

// Columns of the device list; column 1 (the address) is the key rows are matched by.
constexpr int DEVICE_COLUMN_NAME = 0;
constexpr int DEVICE_COLUMN_IP = 1;
constexpr int DEVICE_COLUMN_TYPE = 2;
/// The device list's grid lines, as light as the platform's.
constexpr QRgb kGridLineColor = 0xFFF0F0F0;

class CQuarloDlg : public CBasicNoneBorderDlg {
    Q_OBJECT
public:
    /// The states SetUiState applies; each names which controls it shows, hides, enables or disables.
    enum UiState {
        UiIdle = 0,           ///< after the layout is applied
        UiSearching = 1,      ///< Refresh started a search
        UiSearchDone = 2,     ///< the last countdown tick
        UiRowSelected = 3,    ///< a click in the list with a row selected
        UiNothingSelected = 4 ///< a click in the list with no row selected
    };

    explicit CQuarloDlg(QWidget* pParent = nullptr);
    ~CQuarloDlg() override;

    /// Loads the layout, sets the list up and starts the first search. Runs once, just before the
    /// window is first shown.
    virtual bool OnInitDialog();

    void BindControls();
    void SetUiState(int nState);
    /// Index of the first selected row, or -1 (also when the controls are not ready).
    int GetSelectedRow() const;
    void SetSearchStatus(int nSeconds);
    void SetStatusText(const QString& strText);
    void SetupDeviceList();
    void FillDeviceList();
    void UpdateDeviceList();

    void OnLogIn();
    void OnRefresh();
    void OnMyStorage();
    void OnBringToFront();
    /// One tick of the search countdown; ids other than SEARCH_TIMER_ID are ignored.
    void OnTimer(int nIDEvent);

    /// Where Log In hands its URL; the desktop's handler unless a test supplies another.
    void SetUrlOpener(CUrlOpener* pOpener);
    /// The services My Storage works through; the system's unless a test supplies others.
    void SetStorageServices(const StorageServices& services) { m_storageServices = services; }
    /// The countdown period in milliseconds; tests make it long and drive OnTimer themselves.
    void SetSearchTimerPeriod(int nMilliseconds) { m_nTimerPeriod = nMilliseconds; }
    bool IsSearchTimerActive() const { return m_searchTimer.isActive(); }
    int GetTick() const { return m_nTick; }

    // CBasicLayoutFrame
    void ApplyControlRecords() override;
    void OnControlsCreated() override;
    int AreControlsReady() override;

    void setVisible(bool bVisible) override;

signals:
    /// The last tick of a search has run: the list is final until the next Refresh.
    void searchFinished();

protected:
    // CBasicDialog
    void DrawBackground(QImage& offscreen) override;

    void timerEvent(QTimerEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void OnCommand(int nCtrlID);
    void OnListClick(int nCtrlID);
    void OnListDoubleClick(int nCtrlID);
    QString GetSelectedAddress() const;
    void InsertRowsOnTop(const std::vector<const DeviceRecord*>& devices);

    QIcon m_hIcon;
    QPointer<CStandardListCtrl> m_pDeviceList;
    QPointer<CShowTextImageCtrl> m_pSearchStatus;
    QPointer<CStandardButton> m_pCloseButton;
    QPointer<CStandardButton> m_pLogInButton;
    QPointer<CStandardButton> m_pRefreshButton;
    QPointer<CStandardButton> m_pStorageButton;
    int m_nTick = 1;

    QBasicTimer m_searchTimer;
    int m_nTimerPeriod = SEARCH_TIMER_PERIOD;
    CUrlOpener* m_pUrlOpener = nullptr;
    std::optional<StorageServices> m_storageServices;
    bool m_bInitDone = false;
};
