// The task list with 10,000 rows: one full paint, and one mouse-move repaint.
#include "controls/task_list.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kRows = 10000;

/// Counts the paint events a widget receives, so a benchmark can show that its loop really painted.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject* /*pWatched*/, QEvent* pEvent) override {
        m_nPaints += pEvent->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int m_nPaints = 0;
};

/// A shown 600 x 400 list of `kRows` tasks with statuses, progress cells and status icons,
/// scrolled to the middle.
std::unique_ptr<CShowTaskListCtrl> MakeList() {
    auto pList = std::make_unique<CShowTaskListCtrl>();
    pList->SetCaptionFont(QStringLiteral("DejaVu Sans"), 12);
    QImage strip(7 * 16, 16, QImage::Format_ARGB32);
    strip.fill(Qt::darkCyan);
    pList->m_image = strip;
    pList->SetImageCellCount(7);
    pList->setColumnCount(17);
    const int widths[] = {120, 0, 40, 90, 0, 0, 100, 120, 80};
    for (int j = 0; j < 17; ++j) {
        pList->setColumnWidth(j, j < 9 ? widths[j] : 0);
    }
    const char* statuses[] = {"R", "W", "S", "C", "P", "E", "J", "D"};
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < kRows; ++i) {
        auto* pItem = new QTreeWidgetItem;
        pItem->setText(0, QStringLiteral("backup of folder %1 to the storage device").arg(i));
        pItem->setText(TaskStatusSubItem, QString::fromLatin1(statuses[i % 8]));
        pItem->setText(3, QStringLiteral("%1 MB").arg(i % 977));
        pItem->setText(TaskProgressSubItem, QString::number(i % 101));
        pItem->setText(TaskPercentSubItem, QStringLiteral("%1%").arg(i % 101));
        pItem->setText(7, QStringLiteral("2026-12-11 13:%1").arg(i % 60));
        items.push_back(pItem);
    }
    pList->addTopLevelItems(items);
    pList->resize(600, 400);
    pList->show();
    pList->ScrollVertically(kRows * 30 / 2);
    pList->SelectSingle(kRows / 2 + 3);
    QApplication::processEvents();
    return pList;
}

void BM_PaintTenThousandRows(benchmark::State& state) {
    auto pList = MakeList();
    PaintCounter counter;
    pList->viewport()->installEventFilter(&counter);
    for (auto _ : state) {
        pList->viewport()->repaint();
    }
    state.counters["paints_per_iteration"] =
        static_cast<double>(counter.m_nPaints) / static_cast<double>(state.iterations());
    state.SetLabel("one synchronous paint of the whole client area");
}
BENCHMARK(BM_PaintTenThousandRows)->Unit(benchmark::kMillisecond);

void BM_MouseMoveRepaint(benchmark::State& state) {
    auto pList = MakeList();
    QWidget* pViewport = pList->viewport();
    PaintCounter counter;
    pViewport->installEventFilter(&counter);
    int nStep = 0;
    for (auto _ : state) {
        const QPointF pt(50 + (nStep++ % 200), 150);
        QMouseEvent move(QEvent::MouseMove, pt, pViewport->mapToGlobal(pt), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(pViewport, &move);
        // The move asked for the rows area to be repainted; this runs that paint.
        QApplication::processEvents();
    }
    state.counters["paints_per_iteration"] =
        static_cast<double>(counter.m_nPaints) / static_cast<double>(state.iterations());
    state.SetLabel("move event and the rows repaint it asks for");
}
BENCHMARK(BM_MouseMoveRepaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
