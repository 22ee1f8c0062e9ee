// roamdock-demo: the program's own start-up and window, watched for headless demonstrations.
// After the first search it saves a screenshot of the screen, prints the devices the window
// lists and closes the window. Usage: roamdock-demo SCREENSHOT.png

#include "app/quarlo_app.h"
#include "app/quarlo_dlg.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <cstdio>

namespace {

class CDemoApp : public CQuarloApp {
public:
    CDemoApp(int& argc, char** argv, QString strShotPath)
        : CQuarloApp(argc, argv), m_strShotPath(std::move(strShotPath)) {}

    bool m_bShotSaved = false;

protected:
    void RunMainDialog(CQuarloDlg& dlg) override {
        // Away from the screen's corner, so the cut corners show against the background.
        dlg.move(16, 16);
        QObject::connect(&dlg, &CQuarloDlg::searchFinished, &dlg, [this, &dlg] {
            // Give the last repaint time to reach the display before grabbing it.
            QTimer::singleShot(500, &dlg, [this, &dlg] {
                Report(dlg);
                dlg.reject();
            });
        });
        dlg.exec();
    }

private:
    void Report(CQuarloDlg& dlg) {
        QScreen* pScreen = dlg.screen();
        if (pScreen && !m_strShotPath.isEmpty())
            m_bShotSaved = pScreen->grabWindow(0).save(m_strShotPath, "PNG");
        const QRect rc = dlg.frameGeometry();
        std::printf("window \"%s\" at %d,%d, %dx%d\n", qUtf8Printable(dlg.windowTitle()), rc.x(), rc.y(),
                    rc.width(), rc.height());
        const auto* pList = qobject_cast<const QTreeWidget*>(dlg.FindListCtrl(IDC_DEVICE_LIST));
        const int nRows = pList ? pList->topLevelItemCount() : 0;
        std::printf("%d device(s) listed, newest first:\n", nRows);
        for (int nRow = 0; nRow < nRows; ++nRow) {
            const QTreeWidgetItem* pItem = pList->topLevelItem(nRow);
            std::printf("  %-20s %-16s %s\n", qUtf8Printable(pItem->text(DEVICE_COLUMN_NAME)),
                        qUtf8Printable(pItem->text(DEVICE_COLUMN_IP)),
                        qUtf8Printable(pItem->text(DEVICE_COLUMN_TYPE)));
        }
        std::fflush(stdout);
    }

    QString m_strShotPath;
};

} // namespace

int main(int argc, char** argv) {
    const QString strShotPath = argc > 1 ? QString::fromLocal8Bit(argv[argc - 1]) : QString();
    CDemoApp app(argc, argv, strShotPath);
    app.InitInstance();
    const int nResult = app.ExitInstance();
    if (!strShotPath.isEmpty() && !app.m_bShotSaved) {
        std::fprintf(stderr, "roamdock-demo: no screenshot saved to %s\n", qUtf8Printable(strShotPath));
        return nResult ? nResult : 1;
    }
    return nResult;
}
