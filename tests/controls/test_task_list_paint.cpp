// What the task list draws: status icons, progress cells, selected rows and separators, the band,
// the header gradient, and the same pixels whether a paint covers the whole client area or a strip.
#include "control_test_util.h"
#include "test_task_list_fixture.h"

#include <QPainter>

namespace {

constexpr QRgb kFill = 0xFFF0FFF0;
const QVector<QColor> kIconColours = {Qt::red,     Qt::green,  Qt::blue,    Qt::cyan,
                                      Qt::magenta, Qt::yellow, Qt::darkGray};

/// Columns 0, 2 and 6 shown (60, 40 and 80 wide); the progress column spans x 100 to 179.
const QVector<int> kWidths = {60, 0, 40, 0, 0, 0, 80};
constexpr int kProgressLeft = 100;
constexpr int kProgressWidth = 80;

bool NearRgb(QRgb px, QRgb expected, int nTolerance) {
    return std::abs(qRed(px) - qRed(expected)) <= nTolerance &&
           std::abs(qGreen(px) - qGreen(expected)) <= nTolerance &&
           std::abs(qBlue(px) - qBlue(expected)) <= nTolerance;
}

QImage Solid(QColor colour, QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

class TaskPaintTest : public TaskListFixture {
protected:
    void Build(int nRows, QSize size = QSize(400, 330)) {
        m_list.SetCaptionFont(QStringLiteral("DejaVu Sans"), 12);
        m_list.m_clrFill = kFill;
        TaskListFixture::Build(nRows, kWidths, size);
    }
    QTreeWidgetItem* Row(int nRow) { return m_list.topLevelItem(nRow); }
    static int RowTop(int nRow) { return kHeaderHeight + nRow * kRowHeight; }
    /// Row `nRow`'s cell in the progress column, without the separator lines above and below it.
    static QRect ProgressCell(int nRow) {
        return QRect(kProgressLeft, RowTop(nRow), kProgressWidth, kRowHeight - 1);
    }
};

struct IconCase {
    const char* pszName;
    const char* pszStatus;
    const char* pszFlag;  ///< subitem 16
    const char* pszExtra; ///< subitem 14
    int nCell;
};

const IconCase kIconCases[] = {
    {"Running", "R", "", "", 0},
    {"RunningFlagged", "R", "1", "", 4},
    {"RunningOtherFlag", "R", "0", "", 0},
    {"Waiting", "W", "", "", 2},
    {"Stopped", "S", "", "", 1},
    {"Complete", "C", "", "", 5},
    {"Paused", "P", "", "", 6},
    {"Error", "E", "", "", 3},
    {"Progress", "J", "", "", 4},
    {"D", "D", "", "", 3},
    {"D_IgnoresExtra", "D", "", "x", 3},
    {"OtherWithExtraText", "X", "", "disk full", 3},
    {"OtherWithoutExtraText", "X", "1", "", -1},
    {"EmptyStatus", "", "", "", -1},
    {"LowerCaseIsOther", "r", "", "", -1},
};

class StatusIconTest : public TaskPaintTest, public ::testing::WithParamInterface<IconCase> {};

TEST_P(StatusIconTest, CellOfTheStripAtTheRowsIconPlace) {
    const IconCase& c = GetParam();
    EXPECT_EQ(StatusIconCell(QString::fromLatin1(c.pszStatus), QString::fromLatin1(c.pszFlag),
                             QString::fromLatin1(c.pszExtra)),
              c.nCell);

    Build(2);
    m_list.m_image = MakeStrip(kIconColours, 12, 12);
    m_list.SetImageCellCount(kIconColours.size());
    Row(1)->setText(0, QString());
    Row(1)->setText(TaskStatusSubItem, QString::fromLatin1(c.pszStatus));
    Row(1)->setText(TaskFlagSubItem, QString::fromLatin1(c.pszFlag));
    Row(1)->setText(TaskExtraSubItem, QString::fromLatin1(c.pszExtra));
    const QImage image = Render(&m_list);
    // Icon at (10, row top + 6), 12 x 12: its middle.
    const QRgb px = image.pixel(16, RowTop(1) + 12);
    if (c.nCell < 0) {
        EXPECT_TRUE(SameRgb(px, QColor::fromRgba(kFill))) << std::hex << px;
    } else {
        EXPECT_TRUE(SameRgb(px, kIconColours[c.nCell])) << std::hex << px;
    }
}

INSTANTIATE_TEST_SUITE_P(Statuses, StatusIconTest, ::testing::ValuesIn(kIconCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(TaskPaintTest, ProgressRowShowsItsValueAsAProgressCellAndOtherRowsPlainText) {
    Build(3);
    Row(0)->setText(TaskStatusSubItem, QStringLiteral("J"));
    Row(0)->setText(TaskProgressSubItem, QStringLiteral("42"));
    Row(0)->setText(TaskPercentSubItem, QStringLiteral("ignored"));
    Row(1)->setText(TaskPercentSubItem, QStringLiteral("42%"));
    Row(2)->setText(TaskPercentSubItem, QStringLiteral("42"));
    const QImage image = Render(&m_list);

    // The "J" row reads subitem 5 and "%": exactly what a row holding "42%" shows.
    EXPECT_EQ(image.copy(ProgressCell(0)), image.copy(ProgressCell(1)));
    const QRect rcProgressInk = InkBounds(image, QColor::fromRgba(kFill), ProgressCell(0));
    ASSERT_FALSE(rcProgressInk.isEmpty());
    EXPECT_NEAR(rcProgressInk.center().x(), ProgressCell(0).center().x(), 4) << "centred, as a progress text";

    // "42" without "%" is a plain cell: text from the cell's left edge, in the text band.
    const QRect rcPlainInk = InkBounds(image, QColor::fromRgba(kFill), ProgressCell(2));
    ASSERT_FALSE(rcPlainInk.isEmpty());
    EXPECT_LE(rcPlainInk.left(), kProgressLeft + 2);
    EXPECT_GE(rcPlainInk.top(), RowTop(2) + 8);
    EXPECT_LE(rcPlainInk.bottom(), RowTop(2) + 8 + 16);
    EXPECT_NE(image.copy(ProgressCell(2)), image.copy(ProgressCell(1)));
}

struct Probe {
    int dx; ///< from the progress cell's left
    int dy; ///< from the row top
    QRgb colour;
};

struct ProgressCase {
    const char* pszName;
    bool bImages;
    QRect rcBar;
    const char* pszValue;
    std::vector<Probe> probes;
    bool bTextOnly; ///< the cell holds text and nothing of the bar
    bool bEmpty;    ///< the cell holds nothing at all
};

constexpr QRgb kBarBack = 0xFFFF0000;
constexpr QRgb kBarFill = 0xFF00FF00;

const ProgressCase kProgressCases[] = {
    {"NoImagesZeroBarShowsOnlyText", false, QRect(0, 0, 0, 0), "42", {}, true, false},
    {"ImagesButZeroBarShowsOnlyText", true, QRect(0, 0, 0, 0), "42", {}, true, false},
    {"BarWithoutImagesShowsOnlyText", false, QRect(2, 5, 60, 20), "42", {}, true, false},
    {"FillIsTheValuesShareOfTheBar",
     true,
     QRect(2, 5, 60, 20),
     "42", // 42 % of 60 is 25.2: 25 pixels of fill
     {{2, 6, kBarFill}, {26, 6, kBarFill}, {27, 6, kBarBack}, {61, 6, kBarBack}, {62, 6, kFill}},
     false,
     false},
    {"BarIsCutAtTheCellsEdge",
     true,
     QRect(10, 5, 100, 20),
     "100",
     {{10, 6, kBarFill}, {79, 6, kBarFill}, {80, 6, kFill}},
     false,
     false},
    {"BarStartingPastTheCellDrawsNothing", true, QRect(80, 5, 40, 20), "42", {}, false, true},
    {"OverAHundredStaysInsideTheBar",
     true,
     QRect(2, 5, 60, 20),
     "150",
     {{61, 6, kBarFill}, {62, 6, kFill}},
     false,
     false},
    {"NegativeValueLeavesTheBarEmpty", true, QRect(2, 5, 60, 20), "-5", {{2, 6, kBarBack}}, false, false},
};

class ProgressCellTest : public TaskPaintTest, public ::testing::WithParamInterface<ProgressCase> {};

TEST_P(ProgressCellTest, BarFillAndText) {
    const ProgressCase& c = GetParam();
    Build(1);
    if (c.bImages) {
        m_list.m_progressBackground = Solid(QColor::fromRgba(kBarBack), QSize(200, 40));
        m_list.m_progressFill = Solid(QColor::fromRgba(kBarFill), QSize(200, 40));
    }
    m_list.m_nProgressX = c.rcBar.x();
    m_list.m_nProgressY = c.rcBar.y();
    m_list.m_nProgressWidth = c.rcBar.width();
    m_list.m_nProgressHeight = c.rcBar.height();
    Row(0)->setText(TaskPercentSubItem, QString::fromLatin1(c.pszValue) + QLatin1Char('%'));
    const QImage image = Render(&m_list);

    for (const Probe& probe : c.probes) {
        const QRgb px = image.pixel(kProgressLeft + probe.dx, RowTop(0) + probe.dy);
        EXPECT_TRUE(SameRgb(px, QColor::fromRgba(probe.colour)))
            << "at +" << probe.dx << ",+" << probe.dy << ": " << std::hex << px;
    }
    // The cell and the empty space right of it, where a bar would spill.
    const QRect rcArea(kProgressLeft, RowTop(0), 400 - kProgressLeft, kRowHeight - 1);
    const QRect rcInk = InkBounds(image, QColor::fromRgba(kFill), rcArea);
    if (c.bEmpty) {
        EXPECT_TRUE(rcInk.isEmpty());
    }
    if (c.bTextOnly) {
        ASSERT_FALSE(rcInk.isEmpty());
        EXPECT_LE(rcInk.height(), 14) << "one line of text, no bar";
        EXPECT_LE(rcInk.width(), 30);
        EXPECT_GE(rcInk.left(), kProgressLeft) << "inside its own cell";
        EXPECT_LE(rcInk.right(), kProgressLeft + kProgressWidth - 1);
        EXPECT_GE(rcInk.top(), RowTop(0));
        for (int y = rcArea.top(); y <= rcArea.bottom(); ++y) {
            for (int x = rcArea.left(); x <= rcArea.right(); ++x) {
                const QRgb px = image.pixel(x, y);
                ASSERT_FALSE(SameRgb(px, QColor::fromRgba(kBarBack)) ||
                             SameRgb(px, QColor::fromRgba(kBarFill)))
                    << "bar pixel at " << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Bars, ProgressCellTest, ::testing::ValuesIn(kProgressCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(TaskPaintTest, SelectedRowsFilledAndEveryRowHasItsSeparatorAbove) {
    Build(4);
    m_list.SelectSingle(1);
    QImage image = Render(&m_list);
    const int x = 300; // right of every column: only backgrounds and lines there
    const QColor selected = QColor::fromRgba(m_list.m_clrSelectedFill);
    const QColor separator = QColor::fromRgba(m_list.m_clrSeparator);
    EXPECT_TRUE(SameRgb(image.pixel(x, RowTop(1)), selected));
    EXPECT_TRUE(SameRgb(image.pixel(x, RowTop(1) + 15), selected));
    EXPECT_TRUE(SameRgb(image.pixel(x, RowTop(1) - 1), separator));
    // The next row's separator lies on the selected row's last pixel row, drawn over its fill.
    EXPECT_TRUE(SameRgb(image.pixel(x, RowTop(2) - 1), separator));
    EXPECT_TRUE(SameRgb(image.pixel(x, RowTop(2) + 15), QColor::fromRgba(kFill)));
    EXPECT_TRUE(SameRgb(image.pixel(x, RowTop(3) - 1), separator));
    EXPECT_TRUE(SameRgb(image.pixel(x, RowTop(3) + 15), QColor::fromRgba(kFill)));
    // Below the last row only the rows area's fill.
    EXPECT_TRUE(SameRgb(image.pixel(x, RowTop(4) + 5), QColor::fromRgba(kFill)));

    Click(RowPoint(3), Qt::LeftButton, Qt::ControlModifier);
    image = Render(&m_list);
    EXPECT_TRUE(SameRgb(image.pixel(x, RowTop(1) + 15), selected));
    EXPECT_TRUE(SameRgb(image.pixel(x, RowTop(3) + 15), selected));
}

TEST_F(TaskPaintTest, BandShowsWhileDraggingAndGoesOnRelease) {
    Build(3);
    Mouse(QEvent::MouseButtonPress, QPoint(200, 300), Qt::LeftButton);
    Mouse(QEvent::MouseMove, QPoint(100, 200), Qt::NoButton);
    QImage image = Render(&m_list);
    // The band's colours are translucent over the rows area's fill.
    const QRgb blended =
        qRgb((0xDA * 0x96 + 0xF0 * (255 - 0x96)) / 255, (0xE9 * 0x96 + 0xFF * (255 - 0x96)) / 255,
             (0xFD * 0x96 + 0xF0 * (255 - 0x96)) / 255);
    EXPECT_TRUE(NearRgb(image.pixel(150, 250), blended, 3)) << std::hex << image.pixel(150, 250);
    EXPECT_FALSE(NearRgb(image.pixel(100, 250), blended, 1)) << "outline on the band's edge";
    EXPECT_TRUE(SameRgb(image.pixel(99, 250), QColor::fromRgba(kFill)));

    Mouse(QEvent::MouseButtonRelease, QPoint(100, 200), Qt::LeftButton);
    image = Render(&m_list);
    EXPECT_TRUE(SameRgb(image.pixel(150, 250), QColor::fromRgba(kFill)));
}

TEST_F(TaskPaintTest, HeaderGradientRunsFromTopToBottomColour) {
    Build(2);
    m_list.setHeaderLabels({QStringLiteral("Name")});
    const QImage image = Render(&m_list);
    ASSERT_EQ(m_list.GetHeaderCtrl()->height(), kHeaderHeight);
    const int x = 390; // right of every title
    EXPECT_TRUE(NearRgb(image.pixel(x, 0), CShowTaskHeaderCtrl::kGradientTop, 3))
        << std::hex << image.pixel(x, 0);
    EXPECT_TRUE(NearRgb(image.pixel(x, kHeaderHeight - 1), CShowTaskHeaderCtrl::kGradientBottom, 3))
        << std::hex << image.pixel(x, kHeaderHeight - 1);
    for (int y = 1; y < kHeaderHeight; ++y) {
        EXPECT_GE(qBlue(image.pixel(x, y)), qBlue(image.pixel(x, y - 1))) << "row " << y;
    }
    // The gradient is the same along a pixel row: anything else on it is the title.
    int nTitlePixels = 0;
    for (int y = 0; y < kHeaderHeight; ++y) {
        for (int xTitle = 0; xTitle < 60; ++xTitle) {
            nTitlePixels += NearRgb(image.pixel(xTitle, y), image.pixel(x, y), 30) ? 0 : 1;
        }
    }
    EXPECT_GT(nTitlePixels, 0) << "the title is drawn over the gradient";
}

TEST_F(TaskPaintTest, HeaderTitlesAndCellsFollowTheHorizontalScroll) {
    Build(2);
    m_list.setHeaderLabels({QStringLiteral("Name")});
    m_list.setColumnWidth(7, 400);
    ASSERT_FALSE(m_list.m_pHScrollBar->isHidden());
    const QImage before = Render(&m_list);
    m_list.ScrollHorizontally(25);
    const QImage after = Render(&m_list);
    // Column 0 (title "Name", cell "task 0") moved 25 pixels left, over the header and the first row.
    int nDiffering = 0;
    int nInk = 0;
    for (int y = 0; y < RowTop(1) - 1; ++y) {
        for (int x = 0; x < 35; ++x) {
            nDiffering += after.pixel(x, y) != before.pixel(x + 25, y) ? 1 : 0;
            nInk += after.pixel(x, y) != after.pixel(390, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(nDiffering, 0);
    EXPECT_GT(nInk, 0) << "title and cell text lie in the compared area";
}

TEST_F(TaskPaintTest, PartialPaintsShowTheSamePixelsAsAWholePaint) {
    Build(40);
    // Icons taller than a row and bars reaching above and below their rows: neighbours' drawing
    // overlaps, so a strip must still get every row that reaches into it.
    m_list.m_image = MakeStrip(kIconColours, 12, 45);
    m_list.SetImageCellCount(kIconColours.size());
    m_list.m_progressBackground = Solid(Qt::darkRed, QSize(100, 40));
    m_list.m_progressFill = Solid(Qt::darkGreen, QSize(100, 40));
    m_list.m_nProgressX = 2;
    m_list.m_nProgressY = -3;
    m_list.m_nProgressWidth = 60;
    m_list.m_nProgressHeight = 36;
    const char* statuses[] = {"R", "W", "S", "J", "E"};
    for (int i = 0; i < m_list.topLevelItemCount(); ++i) {
        Row(i)->setText(TaskStatusSubItem, QString::fromLatin1(statuses[i % 5]));
        Row(i)->setText(TaskProgressSubItem, QString::number(i * 2));
        Row(i)->setText(TaskPercentSubItem, QStringLiteral("%1%").arg(i));
        Row(i)->setText(0, QStringLiteral("a task name too long for its sixty pixels"));
    }
    Click(RowPoint(3), Qt::LeftButton);
    Click(RowPoint(5), Qt::LeftButton, Qt::ShiftModifier);
    m_list.ScrollVertically(37); // row i's top is now at 30 i - 17

    QImage wholePaint(Viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    wholePaint.fill(Qt::black);
    m_list.DrawContent(wholePaint);
    wholePaint = wholePaint.convertToFormat(QImage::Format_ARGB32);

    const QRect strips[] = {
        QRect(0, 193, 400, 5),  // top of row 7, where only row 6's tall icon reaches
        QRect(0, 160, 400, 2),  // just above row 6's separator, where its bar begins
        QRect(0, 0, 400, 20),   // under the header: rows scrolled up
        QRect(0, 250, 400, 80), // the bottom rows
        Viewport()->rect(),
    };
    for (const QRect& rcStrip : strips) {
        QImage part(Viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        part.fill(Qt::black);
        Viewport()->render(&part, rcStrip.topLeft(), QRegion(rcStrip), QWidget::RenderFlags());
        part = part.convertToFormat(QImage::Format_ARGB32);
        int nDiffering = 0;
        for (int y = rcStrip.top(); y <= rcStrip.bottom(); ++y) {
            for (int x = rcStrip.left(); x <= rcStrip.right(); ++x) {
                nDiffering += part.pixel(x, y) != wholePaint.pixel(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(nDiffering, 0) << "strip at y " << rcStrip.top() << ", height " << rcStrip.height();
    }
}

} // namespace
