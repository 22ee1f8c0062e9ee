#pragma once
// What users of device finders expect from the main window beyond its buttons: a context menu on
// a row, Ctrl+C and F5, a tooltip with the device's details, keyboard selection, a tab order and
// names for screen readers. It attaches to a dialog whose layout is applied and only calls the
// dialog's public operations, so the dialog's own behaviour stays as it is.

#include <QObject>
#include <QPointer>
#include <QString>

class CQuarloDlg;
class CStandardListCtrl;
class QAction;
class QHelpEvent;
class QMenu;
class QPoint;

class CQuarloDlgAssist : public QObject {
    Q_OBJECT
public:
    /// The dialog becomes the parent, so the assist lives as long as the window.
    explicit CQuarloDlgAssist(CQuarloDlg& dlg);
    ~CQuarloDlgAssist() override;

    /// The row menu; its actions in order: Log In, My Storage, Copy IP Address.
    QMenu* RowMenu() const { return m_pRowMenu; }
    QAction* LogInAction() const { return m_pLogInAction; }
    QAction* StorageAction() const { return m_pStorageAction; }
    QAction* CopyAction() const { return m_pCopyAction; }

    /// Puts the selected row's address on the clipboard; false (clipboard untouched) when no row is
    /// selected or its address is not a dotted IPv4 address.
    bool CopySelectedAddress();
    /// Refresh, only while the Refresh button is enabled.
    void RefreshIfEnabled();
    /// Vendor, firmware version, product detail and identity of the device shown in `nRow`, from
    /// the store's copy matched by the address column; plain text, one "Label: value" per line.
    /// Empty when the store no longer holds that address.
    QString RowDetails(int nRow) const;
    /// The menu text for a button's action: the button's caption in the layout's language, or the
    /// English text when the layout has none.
    QString ActionText(int nCtrlID, const char* pszEnglish) const;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void ShowRowMenu(const QPoint& ptGlobal);
    bool OnListContextMenu(QObject* pWatched, QEvent* pEvent);
    void ShowRowToolTip(QHelpEvent* pEvent);
    void OnSelectionChanged();
    void SetupFocus();
    void SetupAccessibleNames();
    QString SelectedAddress() const;

    CQuarloDlg& m_dlg;
    QPointer<CStandardListCtrl> m_pList;
    /// The filtered list and its viewport, only ever compared with, never used through.
    const QObject* m_pListObject = nullptr;
    const QObject* m_pViewportObject = nullptr;
    QMenu* m_pRowMenu = nullptr;
    QAction* m_pLogInAction = nullptr;
    QAction* m_pStorageAction = nullptr;
    QAction* m_pCopyAction = nullptr;
    /// Set while a key or a right click in the list is being handled, so a selection it makes
    /// updates the buttons as a left click would.
    bool m_bKeySelecting = false;
};

/// Attaches the assist to a dialog whose controls are ready; nullptr (nothing attached) otherwise.
CQuarloDlgAssist* AttachDlgAssist(CQuarloDlg& dlg);
